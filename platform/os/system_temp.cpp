#include "platform/os/system_temp.h"

#include "platform/os/system_file.h"
#include "platform/os/system_module.h"

namespace tallyhouse::platform {

std::string TempFolder() {
    const std::string folder = ModuleFolder() + "/Temp";
    return ForceDirectory(folder) ? folder : ModuleFolder();
}

}  // namespace tallyhouse::platform
