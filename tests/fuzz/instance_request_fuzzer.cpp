// Any line a local client may send: decoded without fault, and a request
// it yields goes over again as exactly the same request.
#include "app/InstanceChannel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<pintora::InstanceRequest> request = pintora::InstanceRequest::decoded(line);
    if (!request)
        return 0;
    const QByteArray again = request->encoded();
    if (!again.endsWith('\n') || again.count('\n') != 1)
        std::abort();
    const std::optional<pintora::InstanceRequest> back = pintora::InstanceRequest::decoded(again.chopped(1));
    if (!back || back->kind != request->kind || back->file != request->file || request->file.contains(QChar(0))
        || back->activationToken != request->activationToken
        || (!request->activationToken.isEmpty()
            && !pintora::InstanceRequest::isActivationToken(request->activationToken)))
        std::abort();
    return 0;
}
