#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"
#include "platform/forms/Graphics.h"

#include <memory>

// Picture bytes of a workbook to the platform's picture objects, for showing pictures read from
// a file, and a few picture routines kept for callers outside this program.

// Loads the bytes of a picture file (as the picture store gives them back, a bitmap with its file
// header) into Picture: JPEG pictures as a JPEG image, bitmaps as a bitmap. Handled is false for
// every other type, and the picture is then not touched. Bytes that are not a valid picture
// raise the picture class's own error.
void SaveImgStreamToGraphic(TStream& Stream, TXlsImgTypes ImgType, TPicture* Picture, bool& Handled);

// Copies a JPEG, PNG or bitmap stream whole into OutStream (Saved true); metafiles and unknown
// types are not converted (Saved false).
void SaveImgStreamToDiskImage(TStream& Stream, TXlsImgTypes ImgType, TStream& OutStream, bool& Saved);

// Metafiles are not read: does nothing.
void LoadWmf(TPicture* Picture, TStream& Stream, TXlsImgTypes ImgType);

// The 22-byte header of a placeable metafile.
struct TMetafileHeader {
    LongWord Key = 0;
    Word Handle = 0;
    SmallInt Left = 0, Top = 0, Right = 0, Bottom = 0;
    Word Inch = 0;
    LongWord Reserved = 0;
    Word CheckSum = 0;
};

// The exclusive-or of the header's first ten 16-bit words.
Word ComputeAldusChecksum(const TMetafileHeader& Header);

// An 8 x 8 bitmap of spreadsheet fill pattern 1 to 19 in the two colours (1 solid fore colour,
// others dots, stripes and hatches); the caller owns it. Other numbers give a solid back colour.
std::unique_ptr<TBitmap> CreateBmpPattern(Integer Pattern, TColor ForeColor, TColor BackColor);
