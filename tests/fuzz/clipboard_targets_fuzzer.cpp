// Any TARGETS reply a clipboard owner may send: the first byte picks the
// format, the next four the claimed length; the choice reads only what
// the reply holds and names an image target or none.
#include "ui/X11Clipboard.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const int format = data[0] % 3 == 0 ? 8 : data[0] % 3 == 1 ? 16 : 32;
    std::uint32_t length;
    std::memcpy(&length, data + 1, 4);
    // A copy of exactly the reply's size, so that any read past it is caught.
    const std::vector<unsigned char> reply(data + 5, data + size);
    const std::optional<std::uint32_t> chosen =
        pintora::chooseImageTarget(reply.data(), reply.size(), format, length, 0x1234, 0x5678);
    if (chosen && *chosen != 0x1234 && *chosen != 0x5678)
        std::abort();
    return 0;
}
