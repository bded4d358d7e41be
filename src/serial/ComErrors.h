#pragma once
// The serial library's numbered errors and the two exceptions that carry them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace serial {

// Library error codes; ComErrorText gives the fixed text of each.
inline constexpr std::uint8_t CError_OpenFailed = 1;
inline constexpr std::uint8_t CError_WriteFailed = 2;
inline constexpr std::uint8_t CError_ReadFailed = 3;
inline constexpr std::uint8_t CError_InvalidAsync = 4;
inline constexpr std::uint8_t CError_PurgeFailed = 5;
inline constexpr std::uint8_t CError_AsyncCheck = 6;
inline constexpr std::uint8_t CError_SetStateFailed = 7;
inline constexpr std::uint8_t CError_TimeoutsFailed = 8;
inline constexpr std::uint8_t CError_SetupComFailed = 9;
inline constexpr std::uint8_t CError_ClearComFailed = 10;
inline constexpr std::uint8_t CError_ModemStatFailed = 11;
inline constexpr std::uint8_t CError_EscapeComFailed = 12;
inline constexpr std::uint8_t CError_TransmitFailed = 13;
inline constexpr std::uint8_t CError_ConnChangeProp = 14;
inline constexpr std::uint8_t CError_EnumPortsFailed = 15;
inline constexpr std::uint8_t CError_StoreFailed = 16;
inline constexpr std::uint8_t CError_LoadFailed = 17;
inline constexpr std::uint8_t CError_RegFailed = 18;
inline constexpr std::uint8_t CError_LedStateFailed = 19;
inline constexpr std::uint8_t CError_ThreadCreated = 20;
inline constexpr std::uint8_t CError_WaitFailed = 21;
inline constexpr std::uint8_t CError_HasLink = 22;
inline constexpr std::uint8_t CError_RegError = 23;

// The English text of a library error code; "Unknown Error #<code>" for
// codes outside 1..23.
std::string ComErrorText(std::uint8_t code);

// A failure of the serial library. Code() is the library error code, 0 when
// the exception was made from a ready message.
class EComPort : public std::runtime_error {
public:
    // Message: port + " Error: " + the text of the code.
    EComPort(const std::string& port, std::uint8_t code);
    // An exception with a ready message and code 0.
    static EComPort CreateMsg(const std::string& message);

    std::uint8_t Code() const { return code_; }
    std::string Message() const { return what(); }

protected:
    EComPort(std::uint8_t code, const std::string& message);

private:
    std::uint8_t code_;
};

// A failure of a platform call: WinCode() carries its errno value.
class EComPortExt : public EComPort {
public:
    // Message: "COM Port Error: " + the text of the code + " on " + port.
    EComPortExt(const std::string& port, std::uint8_t code, int winCode);

    int WinCode() const { return winCode_; }

private:
    int winCode_;
};

} // namespace serial
