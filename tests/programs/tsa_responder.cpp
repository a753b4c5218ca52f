// Test helper: a time-stamping authority on loopback. Answers each HTTP POST
// of a time-stamp query with a reply signed, through OpenSSL's TS API, by the
// authority whose files (tsa.pem, tsa.key, ca.pem, as
// tools/tsa_test_authority.sh makes them) sit in FOLDER, one connection at a
// time, until killed. Says the port
// it listens on, on its standard output, once listening. Plain OpenSSL
// sockets, so that the same program runs on Linux and on Windows.
// Usage: tsa_responder FOLDER
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ts.h>

#ifdef _WIN32
#include <winsock2.h>  // AF_INET, SOCK_STREAM
#else
#include <sys/socket.h>
#endif

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The request's body, read as its Content-Length says; empty on failure.
std::string ReadBody(BIO* connection)
{
    std::string data;
    std::size_t end = std::string::npos;
    char chunk[4096];
    while ((end = data.find("\r\n\r\n")) == std::string::npos) {
        const int read = BIO_read(connection, chunk, sizeof chunk);
        if (read <= 0)
            return {};
        data.append(chunk, std::size_t(read));
    }
    std::size_t length = 0;
    std::string head = data.substr(0, end);
    for (char& c : head)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (const std::size_t at = head.find("content-length:"); at != std::string::npos)
        length = std::strtoul(head.c_str() + at + 15, nullptr, 10);
    std::string body = data.substr(end + 4);
    while (body.size() < length) {
        const int read = BIO_read(connection, chunk, sizeof chunk);
        if (read <= 0)
            return {};
        body.append(chunk, std::size_t(read));
    }
    return body;
}

// The authority's signing context from its folder's files.
TS_RESP_CTX* Authority(const std::string& folder)
{
    TS_RESP_CTX* ctx = TS_RESP_CTX_new();
    BIO* in = BIO_new_file((folder + "/tsa.pem").c_str(), "r");
    X509* cert = in ? PEM_read_bio_X509(in, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(in);
    in = BIO_new_file((folder + "/tsa.key").c_str(), "r");
    EVP_PKEY* key = in ? PEM_read_bio_PrivateKey(in, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(in);
    in = BIO_new_file((folder + "/ca.pem").c_str(), "r");
    X509* ca = in ? PEM_read_bio_X509(in, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(in);
    STACK_OF(X509)* chain = sk_X509_new_null();
    ASN1_OBJECT* policy = OBJ_txt2obj("1.2.3.4.1", 1);
    const bool ready = ctx && cert && key && ca && chain && policy && sk_X509_push(chain, ca) > 0 &&
                       TS_RESP_CTX_set_signer_cert(ctx, cert) == 1 && TS_RESP_CTX_set_signer_key(ctx, key) == 1 &&
                       TS_RESP_CTX_set_certs(ctx, chain) == 1 && TS_RESP_CTX_set_def_policy(ctx, policy) == 1 &&
                       TS_RESP_CTX_add_md(ctx, EVP_sha256()) == 1 &&
                       TS_RESP_CTX_set_signer_digest(ctx, EVP_sha256()) == 1 &&
                       TS_RESP_CTX_set_accuracy(ctx, 1, 0, 0) == 1 &&
                       TS_RESP_CTX_set_ess_cert_id_digest(ctx, EVP_sha256()) == 1;
    if (!ready)
        ca = nullptr;  // freed with the chain, or never read
    X509_free(cert);
    EVP_PKEY_free(key);
    sk_X509_pop_free(chain, X509_free);
    ASN1_OBJECT_free(policy);
    if (!ready) {
        X509_free(ca);
        ERR_print_errors_fp(stderr);
        TS_RESP_CTX_free(ctx);
        return nullptr;
    }
    return ctx;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tsa_responder FOLDER\n");
        return 2;
    }
    TS_RESP_CTX* authority = Authority(argv[1]);
    if (!authority)
        return 1;
    BIO_ADDRINFO* address = nullptr;
    if (BIO_lookup_ex("127.0.0.1", "0", BIO_LOOKUP_SERVER, AF_INET, SOCK_STREAM, 0, &address) != 1)
        return 1;
    const int listening = BIO_socket(AF_INET, SOCK_STREAM, 0, 0);
    BIO_ADDR* bound = BIO_ADDR_new();
    BIO_sock_info_u info;
    info.addr = bound;
    if (listening == -1 || BIO_listen(listening, BIO_ADDRINFO_address(address), BIO_SOCK_REUSEADDR) != 1 ||
        BIO_sock_info(listening, BIO_SOCK_INFO_ADDRESS, &info) != 1) {
        ERR_print_errors_fp(stderr);
        return 1;
    }
    BIO_ADDRINFO_free(address);
    char* port = BIO_ADDR_service_string(bound, 1);
    std::printf("%s\n", port ? port : "0");
    OPENSSL_free(port);
    std::fflush(stdout);
    for (;;) {
        const int accepted = BIO_accept_ex(listening, nullptr, 0);
        if (accepted == -1)
            return 1;
        BIO* connection = BIO_new_socket(accepted, BIO_CLOSE);
        const std::string body = ReadBody(connection);
        BIO* query = BIO_new_mem_buf(body.data(), int(body.size()));
        TS_RESP* reply = query ? TS_RESP_create_response(authority, query) : nullptr;
        BIO_free(query);
        unsigned char* der = nullptr;
        const int length = reply ? i2d_TS_RESP(reply, &der) : -1;
        TS_RESP_free(reply);
        std::string answer;
        if (length > 0) {
            answer = "HTTP/1.0 200 OK\r\nContent-Type: application/timestamp-reply\r\nContent-Length: " +
                     std::to_string(length) + "\r\n\r\n" + std::string(reinterpret_cast<const char*>(der), length);
        } else {
            ERR_print_errors_fp(stderr);
            answer = "HTTP/1.0 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
        }
        OPENSSL_free(der);
        BIO_write(connection, answer.data(), int(answer.size()));
        (void)BIO_flush(connection);
        BIO_free(connection);
    }
}
