// What the company library's OpenSSL code shares: OpenSSL objects owned by a
// std::unique_ptr that frees them with their own function, and OpenSSL's
// reason for the last failure.
#pragma once

#include <QString>

namespace company::openssl {

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* p) const { Free(p); }
};

// OpenSSL's reason for the last failure, emptied from its queue
// ("motivo sconosciuto" when it holds none).
QString Reason();

}  // namespace company::openssl
