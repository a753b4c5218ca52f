// OpenSSL's SHA-256 for the history walk.
#include "company/history_digest.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace company {

namespace {

// The algorithm fetched once and one context reset for each line: OpenSSL's
// one-call SHA256() fetches the algorithm again on every call.
struct Sha256 {
    std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> md{EVP_MD_fetch(nullptr, "SHA256", nullptr), EVP_MD_free};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

}  // namespace

store::LineDigest HistoryDigest()
{
    auto sha = std::make_shared<Sha256>();
    if (!sha->md || !sha->context)
        return {};
    return [sha](const char* data, std::size_t size, unsigned char* digest) {
        unsigned int length = 0;
        if (EVP_DigestInit_ex(sha->context.get(), sha->md.get(), nullptr) != 1 ||
            EVP_DigestUpdate(sha->context.get(), data, size) != 1 ||
            EVP_DigestFinal_ex(sha->context.get(), digest, &length) != 1 || length != 32) {
            // Not expected of OpenSSL; Qt's gives the same digest, slower.
            const QByteArray sum = QCryptographicHash::hash(QByteArrayView(data, qsizetype(size)),
                                                            QCryptographicHash::Sha256);
            std::copy(sum.cbegin(), sum.cend(), digest);
        }
    };
}

}  // namespace company
