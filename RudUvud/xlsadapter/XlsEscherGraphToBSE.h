#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsEscherShapes.h"

// Turns the bytes of a picture file into a new, complete picture-store entry whose parent is the
// workbook's picture store; the caller inserts it into the store or frees it. Only raster
// pictures are taken: JPEG, PNG and bitmaps (a DIB without its file header). Metafiles and
// unknown types are refused with "To insert WMF files you need to instal TPngImage".
std::unique_ptr<TEscherRecord> ConvertGraphicToBSE(const ByteArray& Bytes, TXlsImgTypes ImgType,
                                                   TEscherDwgGroupCache* GroupCaches,
                                                   TEscherDwgCache* DrawingCaches);
