#include "model/device_names.h"

#include "model/text_case.h"

namespace vonu {

bool IsDeviceName(std::wstring_view base) {
    const std::wstring b = LowerAscii(base);
    if (b == L"con" || b == L"prn" || b == L"aux" || b == L"nul") return true;
    return b.size() == 4 && (b.starts_with(L"com") || b.starts_with(L"lpt")) && b[3] >= L'0' &&
           b[3] <= L'9';
}

}  // namespace vonu
