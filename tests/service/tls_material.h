#pragma once

#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace test_service {

// A throwaway CA and a server certificate signed by it, made at start in a
// new temporary folder that the destructor removes. Nothing is checked in.
class TlsMaterial {
public:
    // certificateName: an IPv4 address or a DNS name for the server
    // certificate's subjectAltName.
    explicit TlsMaterial(const std::string& certificateName);
    ~TlsMaterial();
    TlsMaterial(const TlsMaterial&) = delete;
    TlsMaterial& operator=(const TlsMaterial&) = delete;

    bool Ok() const { return context_ != nullptr; }
    // The CA certificate as a PEM file, for the client's CA setting.
    const std::string& CaFile() const { return caFile_; }
    SSL_CTX* Context() const { return context_; }

private:
    std::string folder_;
    std::string caFile_;
    SSL_CTX* context_ = nullptr;
};

} // namespace test_service
