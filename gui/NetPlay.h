#pragma once
// The program's one network session, opened by the host or join screen and handed on to
// the versus match, which closes it when the match is left.
#include "net/NetSession.h"

// The open session, or null.
CNetSession* NetPlaySession();
// Closes any session still open and opens a new one (not yet hosting or joining).
CNetSession& OpenNetPlaySession(const NetSessionOptions& options);
// Says goodbye if still playing, and closes the session.
void CloseNetPlaySession();
