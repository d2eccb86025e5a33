// SIGTERM, SIGINT and SIGHUP ask a waiting request process or the server to close.
#pragma once

void InstallCloseSignals();
bool CloseRequested();
