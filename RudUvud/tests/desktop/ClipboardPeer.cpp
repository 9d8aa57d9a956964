// Another program for the grid's clipboard test on a real X server: a plain GTK window holding a
// text view, in a process of its own, so that copy and paste cross a process boundary as they do
// between programs on a desktop.
//
//   grid_clipboard_peer X Y TEXT OUTFILE
//
// The window is placed at X,Y (no window manager moves it on the test's X server), the view holds
// TEXT, all of it selected, and every change of the view's text is written to OUTFILE (whole,
// so that a reader never sees half of it). The keys Ctrl+C and Ctrl+V of the
// text view copy and paste through the CLIPBOARD selection.

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string OutFile;

void WriteText(GtkTextBuffer* buffer)
{
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    g_file_set_contents(OutFile.c_str(), text, -1, nullptr); // whole, through a rename
    g_free(text);
}

void OnChanged(GtkTextBuffer* buffer, gpointer)
{
    WriteText(buffer);
}

gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer buffer)
{
    WriteText(GTK_TEXT_BUFFER(buffer)); // the test waits for the file: the window is up
    return FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s X Y TEXT OUTFILE\n", argv[0]);
        return 2;
    }
    gtk_init(&argc, &argv);
    OutFile = argv[4];
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 300, 150);
    gtk_window_move(GTK_WINDOW(window), std::atoi(argv[1]), std::atoi(argv[2]));
    GtkWidget* view = gtk_text_view_new();
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    gtk_text_buffer_set_text(buffer, argv[3], -1);
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gtk_text_buffer_select_range(buffer, &start, &end);
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(buffer, "changed", G_CALLBACK(OnChanged), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), buffer);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(view);
    gtk_main();
    return 0;
}
