// The multiplay commands: one session at a time, its players, and typed messages between
// players. Joins, departures, a change of host and the loss of the session reach the
// program as messages of types 100, 101, 102 and 200.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

std::int32_t StartNetGame();
std::int32_t HostNetGame(KvString* gameName);
std::int32_t JoinNetGame(KvString* gameName, KvString* ipAddress);
void StopNetGame();
std::int32_t CreateNetPlayer(KvString* name);
void DeleteNetPlayer(std::int32_t player);
KvString* NetPlayerName(std::int32_t player);
std::int32_t NetPlayerLocal(std::int32_t player);
std::int32_t SendNetMsg(std::int32_t type, KvString* msg, std::int32_t fromPlayer, std::int32_t toPlayer,
                        std::int32_t reliable);
std::int32_t RecvNetMsg();
std::int32_t NetMsgType();
std::int32_t NetMsgFrom();
std::int32_t NetMsgTo();
KvString* NetMsgData();

}  // namespace korvo::cmd
