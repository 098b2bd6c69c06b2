// Any TARGETS reply a clipboard owner may send: the first byte picks the
// format, the rest is the reply; the choice reads only what the reply
// holds and names an image target or none.
#include "ui/X11Clipboard.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int format = data[0] % 3 == 0 ? 8 : data[0] % 3 == 1 ? 16 : 32;
    // A copy of exactly the reply's size, so that any read past it is caught.
    const std::vector<unsigned char> reply(data + 1, data + size);
    const std::optional<std::uint32_t> chosen
        = pintora::chooseImageTarget(reply.data(), reply.size(), format, 0x1234, 0x5678);
    if (chosen && *chosen != 0x1234 && *chosen != 0x5678)
        std::abort();
    return 0;
}
