// The link's exceptions, thrown by value. Each carries one error value; callers catch them all
// alike and show their own fixed message.
#pragma once

#include <cstdint>

namespace kavrin {

inline constexpr std::int32_t kLinkErrorValue = 6000;
inline constexpr std::int32_t kRequestErrorValue = 6200;

class Exception {
public:
    virtual ~Exception() = default;
    std::int32_t errorValue() const { return errorValue_; }

protected:
    explicit Exception(std::int32_t errorValue) : errorValue_(errorValue) {}
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;

private:
    std::int32_t errorValue_;
};

class CommunicationError : public Exception {
protected:
    using Exception::Exception;
};

// The link cannot be opened or closed, or a command set has no protocol service.
class GeneralCommunicationError : public CommunicationError {
public:
    GeneralCommunicationError() : CommunicationError(kLinkErrorValue) {}
};

class RadioProtocolError : public CommunicationError {
protected:
    using CommunicationError::CommunicationError;
};

// A request or codeplug operation failed or was given a bad argument.
class GeneralRadioProtocolError : public RadioProtocolError {
public:
    GeneralRadioProtocolError() : RadioProtocolError(kRequestErrorValue) {}
};

} // namespace kavrin
