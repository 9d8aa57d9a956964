#include "RudUvud/xlsadapter/XlsMD5.h"

void TMd5Stream::Initialize()
{
    md5_init(&FContext);
    FCount = 0;
}

Integer TMd5Stream::Write(const void* Buffer, Integer Count)
{
    if (Count <= 0)
        return 0;
    md5_update(&FContext, static_cast<size_t>(Count), static_cast<const uint8_t*>(Buffer));
    FCount += Count;
    return Count;
}

void TMd5Stream::GetDigest(TDigest& Digest)
{
    // nettle's digest call also resets the context for the next message.
    md5_digest(&FContext, Digest.size(), Digest.data());
    FCount = 0;
}

AnsiString TMd5Stream::GetDigestString()
{
    TDigest d;
    GetDigest(d);
    return AnsiString(reinterpret_cast<const char*>(d.data()), d.size());
}

TMd5Stream::TDigest Md5Of(const Byte* Data, size_t Size)
{
    TMd5Stream s;
    // Write takes an Integer count: feed very large buffers in pieces.
    while (Size > 0) {
        size_t n = std::min<size_t>(Size, 1u << 30);
        s.Write(Data, static_cast<Integer>(n));
        Data += n;
        Size -= n;
    }
    TMd5Stream::TDigest d;
    s.GetDigest(d);
    return d;
}
