#pragma once

#include "platform/rtl/Streams.h"

#include <nettle/md5.h>

#include <array>

// A write-only stream that computes the MD5 message digest (RFC 1321) of the bytes written to
// it, through the nettle library. Pictures are identified by this digest in the picture store.
class TMd5Stream : public TStream {
public:
    using TDigest = std::array<Byte, 16>;

    TMd5Stream() { Initialize(); }
    // Starts a new message.
    void Initialize();

    // Feeds Count bytes to the digest; returns Count.
    Integer Write(const void* Buffer, Integer Count) override;
    // Reads nothing.
    Integer Read(void* Buffer, Integer Count) override { return 0; }
    // Positioning is not supported: the stream stays where it is.
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override { return FCount; }

    // Finishes the digest of the bytes written so far and starts a new message.
    void GetDigest(TDigest& Digest);
    // The same 16 bytes as raw characters (not hexadecimal).
    AnsiString GetDigestString();

private:
    md5_ctx FContext;
    Int64 FCount = 0;
};

// The digest of a whole buffer.
TMd5Stream::TDigest Md5Of(const Byte* Data, size_t Size);
