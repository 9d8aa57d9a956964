#pragma once

class dbTableDescriptor;

// One piece of a query: a text fragment or a bound parameter. A query is a list of them.
struct dbQueryElement {
    enum ElementType {
        qExpression = 0, // ptr: the caller's zero-terminated text, not copied
        qVarBool = 1,
        qVarInt1 = 2,
        qVarInt2 = 3,
        qVarInt4 = 4,
        qVarInt8 = 5,
        qVarReal4 = 6,
        qVarReal8 = 7,
        qVarString = 8,
        qVarStringPtr = 9,
        qVarReference = 10,
        qVarArrayOfRef = 11,
        qVarArrayOfRefPtr = 12,
        qVarRawData = 13,
        qVarUnknown = 14,
    };

    dbQueryElement* next = nullptr;
    const void* ptr = nullptr;
    int type = qExpression;
    dbTableDescriptor* ref = nullptr; // the referenced table of a reference parameter
};
