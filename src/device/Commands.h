#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Records.h"

// Every command the panel takes, built from model records. A builder returns the empty text when
// its record carries nothing to send; an empty text is never sent.
namespace velk {

std::string MakeIntoEdit();
std::string MakeClearKeys();
std::string MakeExitEdit();
std::string MakeKeyEdit(int inputNumber);
std::string MakeAddAct(int event);
std::string MakeBindIr(const KeyAction& action);
std::string MakeBindIo(const KeyAction& action);
std::string MakeBindRelay(const KeyAction& action);
std::string MakeSetCode(const SendData& data);
std::string MakeSetVoid(const Placeholder& blank, int number);
std::string MakeSetDestNet(const SendData& network);
std::string MakeSetDestSerial(const SerialSendData& serial);
std::string MakeSetTime(int32_t time);
std::string MakeSetMode(const EventSettings& settings);
std::string MakeSetEnum(const EnumVariable& variable);
std::string MakeSetVar(const Variable& variable);
std::string MakeSetSer(const NetTarget& target);
std::string MakeGetEnum(int number);
std::string MakeGetVar(int number);
std::string MakeGetSer(int targetIndex);
std::string MakeGetLan();
std::string MakeSetIp(uint32_t address);
std::string MakeSetSubm(uint32_t mask);
std::string MakeSetGate(uint32_t gateway);
std::string MakeSetMac(const std::array<uint8_t, 6>& mac);
std::string MakeLearnIr(int id);

// "TCP" for target indexes up to 4, else "UDP", and the number within that word.
const char* netTargetWord(int targetIndex);
int netTargetNumber(int targetIndex);

}  // namespace velk
