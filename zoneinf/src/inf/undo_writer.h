// --undo: an INF that puts back, value for value, the definitions a
// registry export taken before a deployment holds for some zones. After
// zoneinf's INF and then this one, each zone's key is as the export had it:
//  - DelReg removes each zone's "Dynamic DST" (with the years zoneinf
//    added), the values zoneinf's INF may have added that the export lacks
//    (Display, Std, Dlt, TZI), each zone's trace key
//    SOFTWARE\zonechange\Definitions\<key>, and the values of the old
//    global trace the export lacks: the machine no longer carries what
//    those traces named (deployment tools then see the definitions as
//    uninstalled), while other keys' traces, of other deployments, stay;
//  - AddReg writes every value the export holds below those keys, of any
//    type, names included (MUI_Display too, which --label's INF deletes),
//    and the traces it held for them and the old global one.
// UTF-16 LE with its byte-order mark and CR LF line ends: Windows' own
// display names are often not ASCII (Spanish "Asunción"), and SetupAPI
// reads such an INF whatever the machine's ANSI code page.
#pragma once

#include "registry/registry_snapshot.h"

#include <string>
#include <vector>

namespace zoneinf {

// The INF text, for the keys under Time Zones named (as the export spells
// them). Throws Failure (kExitUnreadableInput) naming the key and value for
// a value no INF line can put back exactly: a control character in a name
// or a string, a string that is not whole UTF-16 text with one terminator,
// a REG_DWORD that is not 4 bytes, a type above 0xFFFF, data too long for
// one line.
std::string WriteUndoInf(const RegistrySnapshot& before, const std::vector<std::string>& windowsKeys,
                         const std::string& programVersion);

}  // namespace zoneinf
