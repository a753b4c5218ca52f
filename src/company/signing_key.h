// What a signing key holds inside the company library: OpenSSL's key and
// certificate, the certificates that came with them and, for a key on a
// PKCS#11 token, the library context that keeps the token's session open.
// Included only by the company library's own signing files.
#pragma once

#include "company/cades_signature.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace company::signature {

// The token's side of a key: closed with the key.
class TokenSession {
public:
    virtual ~TokenSession() = default;
};

class Key {
public:
    EVP_PKEY* privateKey = nullptr;
    X509* certificate = nullptr;
    STACK_OF(X509)* chain = nullptr;  // the certificates that came with it
    std::unique_ptr<TokenSession> token;  // freed after the key that uses it
    ~Key()
    {
        EVP_PKEY_free(privateKey);
        X509_free(certificate);
        sk_X509_pop_free(chain, X509_free);
    }
};

// The certificate described, and why it may not sign today (empty when it may).
Certificate Describe(X509* certificate);
QString CannotSign(X509* certificate);

// Opens the key the "pkcs11:" URI `uri` names (token=, object= or id=)
// through the PKCS#11 module `module`, logging in with `pin`
// (token_key.cpp, through libp11; refused in token_key_unavailable.cpp).
Loaded LoadFromToken(const QString& uri, const QString& pin, const QString& module);

// Why keys on tokens cannot be used in this build; empty when they can.
QString TokensUnavailable();

}  // namespace company::signature
