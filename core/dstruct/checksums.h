// Checksums and stream encodings: CRC-16 (XMODEM and CCITT-FALSE), CRC-32
// (IEEE 802.3), SHA-1, Base64, ASCII85 and a byte-wise run-length coder.
//
// The stream functions read from the input stream's position onwards and
// write at the output stream's position; they neither rewind nor free the
// streams.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

enum TCRC16Mode : uint8_t { crcZModem, crcCCITT };
enum TDecodeSt : uint8_t { rlData, rlLeadin, rlCnt };

using TSHA1Digest = std::array<uint8_t, 20>;

// CRC-16, polynomial 0x1021, MSB first, no reflection and no final XOR.
TKZ_COREKIT_EXPORT uint16_t CalcNextCRC16(uint8_t b, uint16_t crc);
// Starts from 0x0000 (crcZModem) or 0xFFFF (crcCCITT). Count is clamped to
// the array's length; a negative count folds nothing.
TKZ_COREKIT_EXPORT uint16_t CRC16ofBuffer(const TBytes& Buffer, int Count, TCRC16Mode Mode);
TKZ_COREKIT_EXPORT uint16_t CRC16Update(uint16_t crc, const void* data, size_t len);

// CRC-32 (reflected 0xEDB88320). CalcNextCRC32 is the bare step without
// inversion; CRC32ofBuffer returns the complete checksum.
TKZ_COREKIT_EXPORT uint32_t CalcNextCRC32(uint8_t b, uint32_t crc);
TKZ_COREKIT_EXPORT uint32_t CRC32ofBuffer(const TBytes& Buffer, int Count);
// Folds len bytes into a running (not inverted) register value.
TKZ_COREKIT_EXPORT uint32_t CRC32Update(uint32_t crc, const void* data, size_t len);
// 0 when the file cannot be opened or read (and for an empty file).
TKZ_COREKIT_EXPORT uint32_t CalcCRC32ofFile(const std::string& FileName);

TKZ_COREKIT_EXPORT TSHA1Digest SHA1FromBytes(const void* data, size_t len);
TKZ_COREKIT_EXPORT TSHA1Digest SHA1FromString(std::string_view s);
TKZ_COREKIT_EXPORT TSHA1Digest SHA1FromStream(TStream* Stream);
// Open errors of the file stream pass to the caller.
TKZ_COREKIT_EXPORT TSHA1Digest SHA1FromFile(const std::string& FileName);
TKZ_COREKIT_EXPORT std::string SHA1DigestToHex(const TSHA1Digest& Digest);
// Selects the SHA-1 block routine: true forces the portable one, false
// returns to the automatic choice. Returns whether the processor's SHA
// instructions are available.
TKZ_COREKIT_EXPORT bool SHA1UsePortable(bool Portable);

TKZ_COREKIT_EXPORT void EncodeBase64(TStream* Input, TStream* Output, bool LineBreaks);
// 0 on success, -1 at the first invalid group.
TKZ_COREKIT_EXPORT int DecodeBase64(TStream* Input, TStream* Output);
TKZ_COREKIT_EXPORT void EncodeASCII85(TStream* Input, TStream* Output, bool LineBreaks);
// 0, or the last error seen: -1 bad character, -2 "z" inside a group.
TKZ_COREKIT_EXPORT int DecodeASCII85(TStream* Input, TStream* Output);

// Results of DecodeBase64 and DecodeASCII85 above.
inline constexpr int kDecodeOK = 0;
inline constexpr int kDecodeBadInput = -1;  // an invalid Base64 group, a bad ASCII85 character
inline constexpr int kDecodeZInGroup = -2;  // ASCII85 only: "z" inside a group

// Run-length coder: a literal byte v (v != 0xA5) stands for itself, the
// triple 0xA5, n, v for n copies of v. Output collects in an internal buffer
// of 4 * BufLeng bytes which the caller drains in blocks of BufLeng bytes.
// A caller that feeds more than the buffer holds does not lose data: the
// buffer grows.
class TKZ_COREKIT_EXPORT TRLEncoder : public TComponent {
 public:
  explicit TRLEncoder(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TRLEncoder"; }

  // Encodes the first Count bytes; true when a block is ready.
  bool Encode(const TBytes& Data, int Count);
  // Decodes one byte; true when a block is ready.
  bool Decode(uint8_t b);
  // Copies one block of BufLeng bytes when that many are pending.
  void GetResult(TBytes& Block);
  // Closes the stream with the pending run as a triple (once; later calls
  // only drain) and delivers up to BufLeng bytes.
  int Finish(TBytes& Block);
  void Reset();

  int GetBufLeng() const { return bufleng_; }
  // Values below 1 are ignored.
  void SetBufLeng(int n);
  int PendingCount() const { return pending_; }
  TDecodeSt GetDecodeState() const { return state_; }

 private:
  void Put(uint8_t b);
  void PutRun(uint8_t b, size_t n);
  void EncodeByte(uint8_t b);
  void FlushRun(bool literal_ok);
  [[noreturn]] void NoMemory() const;

  int bufleng_ = 256;
  std::vector<uint8_t> buf_;
  int pending_ = 0;
  const uint8_t leadin_ = 0xA5;
  TDecodeSt state_ = rlData;
  uint8_t runcount_ = 0;
  uint8_t runbyte_ = 0;
  bool finishing_ = false;  // Finish has closed the stream
};

}  // namespace tkz
