// The FastCGI engine for the facade: the program (not the server-extension library) hands the
// facade its creation, which serves FastCGI until asked to stop.
#pragma once

void InstallFastCgiEngine();
