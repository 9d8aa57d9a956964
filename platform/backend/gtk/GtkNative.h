#pragma once

// The GTK side of one top-level window (shared by the backend's files only).

#include "platform/backend/gtk/GtkBackend.h"

#include <gtk/gtk.h>

#include <string>

struct GtkBackend::Native {
    GtkBackend* Owner = nullptr;
    HWND Hwnd = nullptr;
    GtkWidget* Window = nullptr;
    GtkWidget* Area = nullptr;
    bool Popup = false;
    bool Resizable = false;
    bool Visible = false;
    bool Maximized = false; // as asked of the window system
    bool Minimized = false;
    bool HiddenForMinimize = false; // no window manager to iconify it: hidden instead
    TRect Requested{};              // the geometry last asked of the window system
    std::int64_t RequestedAt = 0;   // when (monotonic microseconds)
    double Scroll = 0;              // smooth scrolling not yet worth a wheel notch
    std::string Title;              // as last given to the window system
    guint Settle = 0;               // the timer that takes over the window system's geometry
};

// Whether a window manager runs that minimizes windows (X's own headers stay out of the other
// files: their macros clash with names there).
bool WindowManagerCanIconify(GtkWidget* window);
// The screen's own visual, the one the root window has (nullptr off X). GTK otherwise puts its
// windows on a visual it picked for OpenGL, with a colormap of their own, and programs that dump
// the screen a visual at a time read such windows as black.
GdkVisual* ScreenDefaultVisual(GdkScreen* screen);
