#pragma once
// The serial library's numbered errors and the two exceptions that carry them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace serial {

// Library error codes; ComErrorText gives the fixed text of each. The numbers
// are shown in messages and may be compared by callers. A code is no number:
// compare it with its name, or convert it on purpose.
enum class ComErrorCode : std::uint8_t {
    CError_OpenFailed = 1,
    CError_WriteFailed = 2,
    CError_ReadFailed = 3,
    CError_InvalidAsync = 4,
    CError_PurgeFailed = 5,
    CError_AsyncCheck = 6,
    CError_SetStateFailed = 7,
    CError_TimeoutsFailed = 8,
    CError_SetupComFailed = 9,
    CError_ClearComFailed = 10,
    CError_ModemStatFailed = 11,
    CError_EscapeComFailed = 12,
    CError_TransmitFailed = 13,
    CError_ConnChangeProp = 14,
    CError_EnumPortsFailed = 15,
    CError_StoreFailed = 16,
    CError_LoadFailed = 17,
    CError_RegFailed = 18,
    CError_LedStateFailed = 19,
    CError_ThreadCreated = 20,
    CError_WaitFailed = 21,
    CError_HasLink = 22,
    CError_RegError = 23,
};
// The codes are named as the library names them, without the type.
using enum ComErrorCode;

// The English text of a library error code; "Unknown Error #<code>" for
// codes outside 1..23.
std::string ComErrorText(ComErrorCode code);

// A failure of the serial library. Code() is the library error code, 0 (no
// code) when the exception was made from a ready message.
class EComPort : public std::runtime_error {
public:
    // Message: port + " Error: " + the text of the code.
    EComPort(const std::string& port, ComErrorCode code);
    // An exception with a ready message and code 0.
    static EComPort CreateMsg(const std::string& message);

    ComErrorCode Code() const { return code_; }
    std::string Message() const { return what(); }

protected:
    EComPort(ComErrorCode code, const std::string& message);

private:
    ComErrorCode code_;
};

// A failure of a platform call: WinCode() carries its errno value.
class EComPortExt : public EComPort {
public:
    // Message: "COM Port Error: " + the text of the code + " on " + port.
    EComPortExt(const std::string& port, ComErrorCode code, int winCode);

    int WinCode() const { return winCode_; }

private:
    int winCode_;
};

} // namespace serial
