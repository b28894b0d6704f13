// Small stand-ins for the Windows types that the serial manager and protocol service classes
// use in their signatures, so that the two classes keep one shape on every platform.
#pragma once

#include <cstdint>

namespace kavrin {

// The base every component object derives from; the protocol service receives the serial
// manager through it.
class IUnknown {
public:
    IUnknown() = default;
    IUnknown(const IUnknown&) = delete;
    IUnknown& operator=(const IUnknown&) = delete;
    virtual ~IUnknown() = default;
};

enum VariantType : std::uint16_t {
    VT_EMPTY = 0,
    VT_I4 = 3,
};

struct VARIANT {
    std::uint16_t vt = VT_EMPTY;
    std::int32_t lVal = 0;
};

inline void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->lVal = 0;
}

inline std::int32_t VariantClear(VARIANT* v) {
    VariantInit(v);
    return 0;
}

// Kind of port the serial manager deals with; 0 is a serial (COM) port.
enum PortKind : std::int32_t {
    PortKindSerial = 0,
};

} // namespace kavrin
