#pragma once

#include <optional>

#include "catalogue/MemberInfoRec.h"
#include "service/ReplyStore.h"

// The member record of an account's last sign-in, kept beside its replies so that a start
// without the service can open the window as that member. The password field is never written,
// and a kept record reads back with it empty. A missing or unreadable record is none.
void KeepMember(const ReplyStore& store, const GbkString& account, const MemberInfoRec& member);
std::optional<MemberInfoRec> KeptMember(const ReplyStore& store, const GbkString& account);
