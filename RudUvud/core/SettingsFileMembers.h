// Members of TDidAririzEvar declared by the visual properties file and the print settings file
// (core/GridSettingsFiles.cpp). Included only inside the class body in core/RudUvud.h.

public:
// ======== Visual properties file and print settings file (core/GridSettingsFiles.cpp) ========
// The grid's colours, look flags, fonts and look choices as Name=Value lines. Saving raises
// Exception "Cannot Create <file name>" when the file cannot be written; loading raises
// "Cannot open file <file name>" when it cannot be read, and EConvertError for a value that is
// not a number or a colour where one is needed, or a number out of its range; a file refused
// changes nothing.
void SaveVisualProps(const AnsiString& FileName);
void LoadVisualProps(const AnsiString& FileName);
// PrintSettings as one section of an ini file. Keys missing from the section read as their
// defaults. Loading raises "Cannot open file <file name>" for a file that cannot be read, and
// EConvertError for a number key holding something else or a number out of its range; the file
// is never written by loading, and a file refused changes nothing.
void SavePrintSettings(const AnsiString& FileName, const AnsiString& Section);
void LoadPrintSettings(const AnsiString& FileName, const AnsiString& Section);

private:
friend struct TGridSettingsFiles;

public:
