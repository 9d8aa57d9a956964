#include "platform/win/RtfWriter.h"

#include "platform/rtl/Strings.h"

#include <cstdint>

namespace richtext {

namespace {

// Escapes the characters of text or of a font name; Map decides what becomes of the control
// characters.
template <class Control> void Escape(std::string& Out, std::u16string_view S, Control OnControl)
{
    for (char16_t C : S) {
        if (C == u'\\' || C == u'{' || C == u'}') {
            Out += '\\';
            Out += char(C);
        } else if (C >= 0x20 && C < 0x80) {
            Out += char(C);
        } else if (C >= 0x80) {
            Out += "\\u" + std::to_string(int(std::int16_t(C))) + "?";
        } else {
            OnControl(C);
        }
    }
}

} // namespace

RtfWriter::RtfWriter(const std::vector<RtfFont>& Fonts, const std::vector<COLORREF>& Colors)
{
    Out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t I = 0; I < Fonts.size(); ++I) {
        Out += "{\\f" + std::to_string(I) + "\\fnil\\fcharset" + std::to_string(Fonts[I].Charset) + " ";
        // A ';' ends the name, so one inside it is escaped; control characters are left out.
        for (char16_t C : AnsiToWide(Fonts[I].Face)) {
            if (C == u';')
                Out += "\\'3b";
            else
                Escape(Out, std::u16string_view(&C, 1), [](char16_t) {});
        }
        Out += ";}";
    }
    Out += "}\r\n";
    if (!Colors.empty()) {
        Out += "{\\colortbl ;";
        for (COLORREF C : Colors)
            Out += "\\red" + std::to_string(GetRValue(C)) + "\\green" + std::to_string(GetGValue(C)) +
                   "\\blue" + std::to_string(GetBValue(C)) + ";";
        Out += "}\r\n";
    }
    Out += "\\uc1";
}

void RtfWriter::Number(const char* W, long long Value)
{
    Out += '\\';
    Out += W;
    Out += std::to_string(Value);
}

void RtfWriter::BeginParagraph(const ParaFormat& Format, bool InTable)
{
    Out += "\\pard";
    if (InTable)
        Out += "\\intbl";
    static const char* Aligns[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
    if (Format.Alignment != Align::Left)
        Out += Aligns[int(Format.Alignment)];
    if (Format.Left)
        Number("li", Format.Left);
    if (Format.Right)
        Number("ri", Format.Right);
    if (Format.First)
        Number("fi", Format.First);
    for (int Tab : Format.Tabs)
        Number("tx", Tab);
    Out += ' ';
}

void RtfWriter::Text(std::u16string_view S)
{
    Escape(Out, S, [this](char16_t C) {
        if (C == u'\t')
            Out += "\\tab ";
        else if (C == u'\v' || C == u'\n')
            Out += "\\line ";
    });
}

void RtfWriter::Text(std::string_view Utf8)
{
    Text(AnsiToWide(AnsiString(Utf8)));
}

std::string RtfWriter::Finish()
{
    Out += "}\r\n";
    return std::move(Out);
}

} // namespace richtext
