#pragma once
// Sizes and field offsets of the configuration blocks and the user table that
// the SDK hands over whole; every other byte of them belongs to the device.
#include <cstddef>
#include <cstdint>

namespace sdklayout {

constexpr int kPortCommand = 81;
constexpr std::size_t kPortBlockSize = 772;
constexpr std::size_t kHttpPortOffset = 68;
constexpr std::size_t kTcpPortOffset = 72;

constexpr int kRtspCommand = 155;
constexpr std::size_t kRtspBlockSize = 260;
constexpr std::size_t kRtspPortOffset = 0;

constexpr int kModelCommand = 191;
constexpr std::size_t kModelBlockSize = 324;
constexpr std::size_t kModelFlagsOffset = 0;
constexpr std::size_t kModelTextOffset = 4;
constexpr uint32_t kModelValidFlag = 0x1;

constexpr std::size_t kUserTableSize = 783856;
constexpr std::size_t kUserCount = 50;
constexpr std::size_t kUserRecordSize = 3344;
constexpr std::size_t kFirstUserOffset = 114796;
constexpr std::size_t kUserNameOffset = 8;
constexpr std::size_t kUserNameSize = 96;
constexpr std::size_t kUserPasswordOffset = 104;
constexpr std::size_t kUserPasswordSize = 96;
constexpr int kModifyUserPassword = 6;

constexpr int kInfoVersionItem = 50;
constexpr std::size_t kLoginInfoSize = 48;

constexpr int kMainStream = 2;
constexpr int kSubStream = 3;

static_assert(kFirstUserOffset + kUserCount * kUserRecordSize <= kUserTableSize);

} // namespace sdklayout
