#pragma once
// Handle-based decoder of MPEG audio streams held in memory. Every operation
// answers a result code (MpegResult.h) and lets no exception escape.

#include <cstdint>

#include "mpeg/MpegHandle.h"
#include "mpeg/MpegResult.h"

class TMMAllocator;

// The value MpegCreate answers in place of a handle when none could be made.
TMpegHandle* MpegCreateFailure();
// True for a usable handle (neither null nor MpegCreateFailure()).
bool IsMpegHandle(const TMpegHandle* Handle);

TMpegHandle* MpegCreate(TMpegNotify Notify, int32_t NotifyData);
// The same with the handle's block taken from Allocator instead of MMAllocator().
TMpegHandle* MpegCreate(TMMAllocator& Allocator, TMpegNotify Notify, int32_t NotifyData);
int32_t MpegOpen(TMpegHandle* Handle, const char* Name, const void* Memory, int32_t Size);
int32_t MpegStart(TMpegHandle* Handle);
int32_t MpegGetInfo(TMpegHandle* Handle, TMpegInfo& Info);
// Copies up to Size bytes of PCM to Dest; answers the bytes copied or a failure code.
int32_t MpegRead(TMpegHandle* Handle, void* Dest, int32_t Size);
int32_t MpegStop(TMpegHandle* Handle);
// Closes and frees the handle and clears the variable.
int32_t MpegFree(TMpegHandle*& Handle);
int32_t MpegSeek(TMpegHandle* Handle, int32_t Frame);
int32_t MpegClose(TMpegHandle* Handle);
// Finds a 128-byte "TAG" record near the end of the block and copies it to Dest.
bool MpegReadTag(TMpegHandle* Handle, void* Dest);
// Decodes the frame whose header is current into the handle's Output.
int32_t MpegDecodeFrame(TMpegHandle* Handle);
