#include "RudUvud/xlsadapter/XlsEscherGraphToBSE.h"

#include "RudUvud/xlsadapter/XlsMD5.h"

#include <cstring>

namespace {

struct TBlipKind {
    Byte TypeByte;
    Word RecType;
    Word Instance;
};

// Indexed by TXlsImgTypes: EMF, WMF, JPEG, PNG, DIB, unknown.
constexpr TBlipKind BlipKinds[] = {
    {2, 0xF01A, 0x3D4}, {3, 0xF01B, 0x216}, {5, 0xF01D, 0x46A},
    {6, 0xF01E, 0x6E0}, {7, 0xF01F, 0x7A8}, {1, 0xF019, 0},
};

} // namespace

std::unique_ptr<TEscherRecord> ConvertGraphicToBSE(const ByteArray& Bytes, TXlsImgTypes ImgType,
                                                   TEscherDwgGroupCache* GroupCaches,
                                                   TEscherDwgCache* DrawingCaches)
{
    if (ImgType != xli_Jpeg && ImgType != xli_Png && ImgType != xli_Bmp)
        XlsError("To insert WMF files you need to instal TPngImage");
    // The picture record's body must fit the entry's 32-bit length with room for its headers.
    if (Bytes.size() > size_t(0x7FFFFFFF) - 64)
        XlsError(zivXlsMessages::ErrInternal);
    const TBlipKind& kind = BlipKinds[ImgType];
    TMd5Stream::TDigest digest = Md5Of(Bytes.data(), Bytes.size());

    ByteArray body(digest.begin(), digest.end());
    body.push_back(0xFF);
    body.insert(body.end(), Bytes.begin(), Bytes.end());
    LongWord bodyLen = static_cast<LongWord>(body.size());

    Byte head[36] = {};
    head[0] = kind.TypeByte;
    head[1] = 4; // the Macintosh type
    std::memcpy(head + 2, digest.data(), 16);
    SetWord(head, 18, 0x00FF);
    SetLongWord(head, 20, bodyLen + 8);
    Byte pictureHeader[8];
    TEscherRecordHeader{static_cast<Word>(kind.Instance << 4), kind.RecType, bodyLen}.ToBytes(pictureHeader);

    auto entry = std::make_unique<TEscherBSERecord>(
        TEscherRecordHeader{static_cast<Word>((kind.TypeByte << 4) + 2), 0xF007, bodyLen + 44}, GroupCaches,
        DrawingCaches, GroupCaches ? GroupCaches->BStoreRecord : nullptr);
    entry->CopyFromData(head, pictureHeader, body);
    return entry;
}
