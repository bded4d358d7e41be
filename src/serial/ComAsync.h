#pragma once
// The record of one overlapped read or write of a port, and the routines
// that make and free it. A caller owns its record; one record serves one
// operation at a time and may be used again for the next.
#include <memory>

#include "serial/ComTypes.h"
#include "serial/engine/ComTransfer.h"

namespace serial {

struct TCPortAsync {
    // The state of the operation that uses the record.
    ComTransfer Overlapped;
    // What last used the record; okNone for a fresh record.
    TOperationKind Kind = TOperationKind::okNone;
    // For a write: the record's own copy of the bytes written.
    std::unique_ptr<char[]> Data;
    int Size = 0;
};
using PCPortAsync = TCPortAsync*;

// Makes a record and stores its pointer. A wait on a record whose operation
// never started returns at once with 0 bytes.
void InitAsync(PCPortAsync& AsyncPtr);
// Frees the record (with its copy) and sets the pointer to none.
void DoneAsync(PCPortAsync& AsyncPtr);

// A record for the length of one call, freed also when an error passes.
class ComAsyncRecord {
public:
    ComAsyncRecord() { InitAsync(ptr_); }
    ~ComAsyncRecord() { DoneAsync(ptr_); }
    ComAsyncRecord(const ComAsyncRecord&) = delete;
    ComAsyncRecord& operator=(const ComAsyncRecord&) = delete;
    PCPortAsync get() const { return ptr_; }

private:
    PCPortAsync ptr_ = nullptr;
};

} // namespace serial
