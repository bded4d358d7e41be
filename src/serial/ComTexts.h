#pragma once
// Settings as text and back: the texts the port selector shows and settings
// storage writes. Reading a text never fails: a text that is not in a table
// gives that table's default.
#include <string>

#include "serial/ComTypes.h"

namespace serial {

std::string BaudRateToStr(TBaudRate value);
std::string StopBitsToStr(TStopBits value);
std::string DataBitsToStr(TDataBits value);
std::string ParityToStr(TParityBits value);
std::string FlowControlToStr(TFlowControl value);
std::string RTSToStr(TRTSFlowControl value);
std::string DTRToStr(TDTRFlowControl value);
std::string BoolToStr(bool value);

// Compared after upper-casing the ASCII letters of both texts; no trimming.
TBaudRate StrToBaudRate(const std::string& text);        // default br9600
TStopBits StrToStopBits(const std::string& text);        // default sbOneStopBit
TDataBits StrToDataBits(const std::string& text);        // default dbEight
TParityBits StrToParity(const std::string& text);        // default prNone
TFlowControl StrToFlowControl(const std::string& text);  // default fcCustom
TRTSFlowControl StrToRTS(const std::string& text);       // default rtsDisable
TDTRFlowControl StrToDTR(const std::string& text);       // default dtrDisable
bool StrToBool(const std::string& text);                 // true only for "YES" in any case

// A character setting as readable text: codes 33..127 as themselves, any
// other as "#" and its decimal code ("#13" for CR, "#32" for the space).
std::string CharToStr(char ch);
// The reverse: "" gives code 0; "#n" gives the low 8 bits of n (0 when n is
// no integer); any other text gives its first character.
char StrToChar(const std::string& text);

} // namespace serial
