#include "SealedNet.h"

#include <net/if.h>

#include <set>
#include <string>

namespace orvane::demo {

bool InsideSealedNet() {
    struct if_nameindex* list = if_nameindex();
    if (list == nullptr) return false;
    std::set<std::string> names;
    for (struct if_nameindex* i = list; i->if_index != 0 && i->if_name != nullptr; ++i)
        names.insert(i->if_name);
    if_freenameindex(list);
    return names == std::set<std::string>{"lo", "sn0", "sn1"};
}

} // namespace orvane::demo
