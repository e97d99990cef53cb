#pragma once

#include <cstdint>

// Xmodem file transfer with 8-bit checksum or CRC-16, 128-byte (SOH), 1024-byte (STX) and
// 16-byte (0x16) blocks. The engine knows nothing of ports: bytes move only through the
// callbacks given at creation, so any byte source and sink can drive it.

// Sends one byte; returns 0 when it went out, non-zero on failure.
using XmodemPutByte = std::int32_t (*)(void* userData, std::uint8_t byte);
// Returns the next byte (0 to 255), or -1 when none came within timeoutMs. Sets *error to
// non-zero on a reception error.
using XmodemGetByte = std::int32_t (*)(void* userData, std::int32_t timeoutMs, std::int32_t* error);
// Progress (blocks and bytes so far, message empty) or a message (blocks and bytes both -1).
using XmodemStatus = void (*)(void* userData, std::int32_t blocks, std::int32_t bytes,
                              const char* message);
// Non-zero asks the running transfer to stop.
using XmodemCancelCheck = std::int32_t (*)(void* userData);

// Result codes of the engine's operations; XmodemMessage gives their texts.
enum XmodemCode : std::int32_t {
  kXmodemSuccess = 0,
  kXmodemReceiverCancelled = 1,
  kXmodemSenderCancelled = 2,
  kXmodemUserCancelled = 3,
  kXmodemNullBuffer = 4,
  kXmodemNullCount = 5,
  kXmodemAckTimeout = 6,
  kXmodemInitialNakTimeout = 7,
  kXmodemSohTimeout = 8,
  kXmodemDataTimeout = 9,
  kXmodemFinalAckTimeout = 10,
  kXmodemInvalidChar = 11,
  kXmodemBlockMismatch = 12,
  kXmodemBadCrc = 13,
  kXmodemBadChecksum = 14,
  kXmodemOutOfSequence = 15,
  kXmodemCharError = 16,
  kXmodemOffline = 17,
  kXmodemNakReceived = 18,
  kXmodemNoWakeupResponse = 19,
  kXmodemBufferTooSmall = 20,
  kXmodemNullHandle = 21,
  kXmodemBusy = 22,
};

// Bits of XmodemEngine::m_Flags.
enum XmodemFlag : std::int32_t {
  kXmodemReceiving = 1 << 0,
  kXmodemSending = 1 << 1,
  kXmodemCancelRequested = 1 << 15,
};

struct XmodemEngine {
  void* m_UserData = nullptr;
  std::int32_t m_LastResult = kXmodemSuccess;
  XmodemPutByte m_PutByte = nullptr;
  XmodemGetByte m_GetByte = nullptr;
  XmodemStatus m_Status = nullptr;
  XmodemCancelCheck m_CancelCheck = nullptr;
  std::int32_t m_Flags = 0;
  std::int32_t m_WakeUp = 0;
};

// The text of a result code ("Transmission Successful", ...); an empty text for unknown codes.
const char* XmodemMessage(std::int32_t code);

// Makes an engine. putByte and getByte are required (null gives null); a null status or cancel
// check is replaced by one that does nothing. wakeUp non-zero sends 0xAA before each wait for
// the receiver's start character.
XmodemEngine* XmodemCreate(XmodemPutByte putByte, XmodemGetByte getByte, XmodemStatus status,
                           XmodemCancelCheck cancelCheck, void* userData, std::int32_t wakeUp);

// Frees the engine: kXmodemNullHandle for null, kXmodemBusy while a transfer runs, else
// kXmodemSuccess.
std::int32_t XmodemDestroy(XmodemEngine* engine);

// Sends length bytes as one transfer. blockSize 1024 gives STX blocks, 128 SOH blocks, any
// other value 16-byte blocks. Returns the result code, also kept in m_LastResult; null data or
// a negative length gives kXmodemNullBuffer without touching the line.
std::int32_t XmodemTransmit(XmodemEngine* engine, std::int32_t blockSize, const void* data,
                            std::int32_t length);

// Receives one transfer into buffer (filled with 0x1A first; at most size bytes are stored).
// Returns the result code, also kept in m_LastResult; a null buffer or negative size gives
// kXmodemNullBuffer.
std::int32_t XmodemReceive(XmodemEngine* engine, void* buffer, std::int32_t size);
