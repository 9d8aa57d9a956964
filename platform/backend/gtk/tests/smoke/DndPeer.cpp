// Another program for the drag-and-drop smoke test: a plain GTK window holding a text view, so
// drags between it and our windows cross a process boundary the way they do on a desktop.
//
//   platform_gtk_dnd_peer X Y TEXT OUTFILE
//
// The window is placed at X,Y (no window manager on the test's X server moves it), the view holds
// TEXT on its first line, selected, ready to be dragged away, and every change of the view's text
// is written to OUTFILE (whole, through a rename, so a reader never sees half of it).

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
    std::string tmp = OutFile + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
        std::fputs(text, f);
        std::fclose(f);
        std::rename(tmp.c_str(), OutFile.c_str());
    }
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
    std::string text = std::string(argv[3]) + "\n\n\n\n";
    gtk_text_buffer_set_text(buffer, text.c_str(), -1);
    GtkTextIter start, end;
    gtk_text_buffer_get_iter_at_line(buffer, &start, 0);
    end = start;
    gtk_text_iter_forward_to_line_end(&end);
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
