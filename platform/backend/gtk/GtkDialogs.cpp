// The desktop's own file, colour and font dialogs, and print dialogs made of GTK widgets over the
// program's own printer list (file printers are not GTK's to know).

#include "platform/backend/gtk/GtkBackend.h"

#include "platform/win/Colors.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/Windows.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// A list of file names the chooser made: the names and the list are the caller's.
void FreeNames(GSList* names)
{
    g_slist_free_full(names, g_free);
}

GtkWindow* ParentFor(const GtkBackend& b, HWND owner)
{
    HWND root = owner ? GetAncestor(owner, GA_ROOT) : GetActiveWindow();
    GtkWidget* w = root ? b.NativeWindow(root) : nullptr;
    return w ? GTK_WINDOW(w) : nullptr;
}

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, e - a + 1);
}

// A pattern of the program's filters ("*.txt") for GTK, which compares case-sensitively:
// each letter becomes a bracket of both cases, as file names on the program's own platform
// match without case.
std::string CaselessPattern(const std::string& p)
{
    if (p == "*.*")
        return "*";
    std::string out;
    for (char c : p) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            out += '[';
            out += char(std::tolower(u));
            out += char(std::toupper(u));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::optional<FileDialogAnswer> GtkBackend::RunFileDialog(HWND owner, const FileDialogRequest& req)
{
    GtkFileChooserAction action = req.Save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    std::string title = !req.Title.empty() ? req.Title : req.Save ? "Save As" : "Open";
    GtkWidget* d = gtk_file_chooser_dialog_new(title.c_str(), ParentFor(*this, owner), action, "_Cancel",
                                               GTK_RESPONSE_CANCEL, req.Save ? "_Save" : "_Open",
                                               GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(d);
    gtk_window_set_modal(GTK_WINDOW(d), TRUE);
    gtk_file_chooser_set_select_multiple(chooser, req.MultiSelect && !req.Save);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, req.OverwritePrompt);
    if (!req.InitialDir.empty())
        gtk_file_chooser_set_current_folder(chooser, req.InitialDir.c_str());
    if (!req.FileName.empty()) {
        bool hasDir = req.FileName.find('/') != std::string::npos;
        if (req.Save && !hasDir)
            gtk_file_chooser_set_current_name(chooser, req.FileName.c_str());
        else if (hasDir)
            gtk_file_chooser_set_filename(chooser, req.FileName.c_str());
        else if (!req.InitialDir.empty())
            gtk_file_chooser_set_filename(chooser, (req.InitialDir + "/" + req.FileName).c_str());
    }
    std::vector<GtkFileFilter*> filters;
    for (size_t i = 0; i < req.Filters.size(); ++i) {
        GtkFileFilter* f = gtk_file_filter_new();
        gtk_file_filter_set_name(f, req.Filters[i].first.c_str());
        std::string patterns = req.Filters[i].second;
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find(';', start);
            std::string p =
                Trim(patterns.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (!p.empty())
                gtk_file_filter_add_pattern(f, CaselessPattern(p).c_str());
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        gtk_file_chooser_add_filter(chooser, f); // the chooser owns it
        filters.push_back(f);
        if (int(i) + 1 == req.FilterIndex)
            gtk_file_chooser_set_filter(chooser, f);
    }
    std::optional<FileDialogAnswer> answer;
    if (gtk_dialog_run(GTK_DIALOG(d)) == GTK_RESPONSE_ACCEPT) {
        FileDialogAnswer a;
        const THandleOwner<GSList, FreeNames> names(gtk_file_chooser_get_filenames(chooser));
        for (GSList* l = names.get(); l; l = l->next)
            a.Files.push_back(static_cast<const char*>(l->data));
        GtkFileFilter* chosen = gtk_file_chooser_get_filter(chooser);
        auto it = std::find(filters.begin(), filters.end(), chosen);
        a.FilterIndex = it == filters.end() ? std::max(req.FilterIndex, 1) : int(it - filters.begin()) + 1;
        if (!a.Files.empty())
            answer = std::move(a);
    }
    gtk_widget_destroy(d);
    return answer;
}

std::optional<TColor> GtkBackend::RunColorDialog(HWND owner, TColor initial)
{
    COLORREF c = (initial & 0x80000000u) ? GetSysColor(int(initial & 0xFF)) : (initial & 0xFFFFFF);
    GtkWidget* d = gtk_color_chooser_dialog_new("Color", ParentFor(*this, owner));
    gtk_window_set_modal(GTK_WINDOW(d), TRUE);
    gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(d), FALSE);
    GdkRGBA rgba{GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, 1.0};
    gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(d), &rgba);
    std::optional<TColor> answer;
    if (gtk_dialog_run(GTK_DIALOG(d)) == GTK_RESPONSE_OK) {
        gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(d), &rgba);
        auto byte = [](double v) { return BYTE(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        answer = TColor(RGB(byte(rgba.red), byte(rgba.green), byte(rgba.blue)));
    }
    gtk_widget_destroy(d);
    return answer;
}

std::optional<FontDialogChoice> GtkBackend::RunFontDialog(HWND owner, const FontDialogChoice& initial)
{
    GtkWidget* d = gtk_font_chooser_dialog_new("Font", ParentFor(*this, owner));
    gtk_window_set_modal(GTK_WINDOW(d), TRUE);
    {
        const TOwnedFontDescription owned(pango_font_description_new());
        PangoFontDescription* desc = owned.get();
        if (!initial.Family.empty())
            pango_font_description_set_family(desc, initial.Family.c_str());
        pango_font_description_set_size(desc, std::clamp(initial.PointSize, 1, 1000) * PANGO_SCALE);
        pango_font_description_set_weight(desc, initial.Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(desc, initial.Italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        gtk_font_chooser_set_font_desc(GTK_FONT_CHOOSER(d), desc);
    }
    std::optional<FontDialogChoice> answer;
    if (gtk_dialog_run(GTK_DIALOG(d)) == GTK_RESPONSE_OK) {
        if (const TOwnedFontDescription owned{gtk_font_chooser_get_font_desc(GTK_FONT_CHOOSER(d))}) {
            const PangoFontDescription* got = owned.get();
            FontDialogChoice c = initial; // underline and strike-out are not the chooser's to change
            if (const char* family = pango_font_description_get_family(got))
                c.Family = family;
            int size = pango_font_description_get_size(got);
            if (size > 0)
                c.PointSize = int(std::lround(double(size) / PANGO_SCALE));
            c.Bold = pango_font_description_get_weight(got) >= PANGO_WEIGHT_SEMIBOLD;
            c.Italic = pango_font_description_get_style(got) != PANGO_STYLE_NORMAL;
            answer = c;
        }
    }
    gtk_widget_destroy(d);
    return answer;
}

namespace {

GtkWidget* AddRow(GtkGrid* grid, int row, const char* label, GtkWidget* field)
{
    GtkWidget* l = gtk_label_new_with_mnemonic(label);
    gtk_label_set_xalign(GTK_LABEL(l), 0);
    gtk_label_set_mnemonic_widget(GTK_LABEL(l), field);
    gtk_grid_attach(grid, l, 0, row, 1, 1);
    gtk_widget_set_hexpand(field, TRUE);
    gtk_grid_attach(grid, field, 1, row, 1, 1);
    return field;
}

} // namespace

std::optional<PrintDialogChoice> GtkBackend::RunPrintDialog(HWND owner, const PrintDialogRequest& req)
{
    const char* title = req.Setup ? "Printer Setup" : "Print";
    GtkWidget* d = gtk_dialog_new_with_buttons(title, ParentFor(*this, owner), GTK_DIALOG_MODAL, "_Cancel",
                                               GTK_RESPONSE_CANCEL, req.Setup ? "_OK" : "_Print",
                                               GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(d), GTK_RESPONSE_OK);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(d))), grid);
    int row = 0;
    GtkWidget* printers = gtk_combo_box_text_new();
    for (const auto& name : req.Printers)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(printers), name.c_str());
    if (req.Current >= 0)
        gtk_combo_box_set_active(GTK_COMBO_BOX(printers), req.Current);
    gtk_widget_set_sensitive(printers, !req.Printers.empty());
    AddRow(GTK_GRID(grid), row++, "_Printer:", printers);
    GtkWidget* orientation = gtk_combo_box_text_new();
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(orientation), "Portrait");
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(orientation), "Landscape");
    gtk_combo_box_set_active(GTK_COMBO_BOX(orientation), req.Orientation == 2 ? 1 : 0);
    AddRow(GTK_GRID(grid), row++, "_Orientation:", orientation);
    GtkWidget *copies = nullptr, *collate = nullptr, *range = nullptr, *from = nullptr, *to = nullptr;
    if (!req.Setup) {
        copies = gtk_spin_button_new_with_range(1, 9999, 1);
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(copies), std::max(1, req.Copies));
        AddRow(GTK_GRID(grid), row++, "_Copies:", copies);
        collate = gtk_check_button_new_with_mnemonic("C_ollate");
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(collate), req.Collate);
        gtk_grid_attach(GTK_GRID(grid), collate, 1, row++, 1, 1);
        if (req.PageNums) {
            int lo = std::max(1, req.MinPage), hi = std::max(lo, req.MaxPage > 0 ? req.MaxPage : 9999);
            range = gtk_check_button_new_with_mnemonic("Print _pages:");
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(range), req.FromPage > 0);
            from = gtk_spin_button_new_with_range(lo, hi, 1);
            to = gtk_spin_button_new_with_range(lo, hi, 1);
            gtk_spin_button_set_value(GTK_SPIN_BUTTON(from), std::max(lo, req.FromPage));
            gtk_spin_button_set_value(GTK_SPIN_BUTTON(to), req.ToPage > 0 ? req.ToPage : hi);
            GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
            gtk_box_pack_start(GTK_BOX(box), from, TRUE, TRUE, 0);
            gtk_box_pack_start(GTK_BOX(box), gtk_label_new("to"), FALSE, FALSE, 0);
            gtk_box_pack_start(GTK_BOX(box), to, TRUE, TRUE, 0);
            gtk_grid_attach(GTK_GRID(grid), range, 0, row, 1, 1);
            gtk_grid_attach(GTK_GRID(grid), box, 1, row++, 1, 1);
        }
    }
    gtk_widget_show_all(d);
    std::optional<PrintDialogChoice> answer;
    if (gtk_dialog_run(GTK_DIALOG(d)) == GTK_RESPONSE_OK) {
        PrintDialogChoice c;
        if (const TOwnedGChars name{gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(printers))})
            c.Printer = name.get();
        c.Orientation = gtk_combo_box_get_active(GTK_COMBO_BOX(orientation)) == 1 ? 2 : 1;
        if (copies) {
            c.Copies = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(copies));
            c.Collate = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(collate));
        }
        if (range && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(range))) {
            c.FromPage = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(from));
            c.ToPage = std::max(c.FromPage, gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(to)));
        }
        answer = c;
    }
    gtk_widget_destroy(d);
    return answer;
}
