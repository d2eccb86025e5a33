#include "platform/system_temp.h"

#include "platform/system_file.h"
#include "platform/system_module.h"

std::string TempFolder() {
    const std::string folder = ModuleFolder() + "/Temp";
    return ForceDirectory(folder) ? folder : ModuleFolder();
}
