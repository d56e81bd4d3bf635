#pragma once

class ISoundPlayer;

// Start-up in its fixed order: splash at 0 % with the loading text, the load, the splash destroyed, the main
// window listing the whole directory, and the hidden progress window. False (after telling the operator
// and stderr) when the directory cannot be loaded; the exit status is then in `status`.
bool StartUp(ISoundPlayer* sound, int& status);
// After the message loop: the container first, then the windows.
void ShutDown();
