#include "tests/service/tls_material.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace test_service {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr)
        return false;
    bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

Certificate NewCertificate(EVP_PKEY* key, long serial, const char* commonName)
{
    Certificate certificate(X509_new());
    if (!certificate)
        return nullptr;
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 7L * 24 * 3600);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    return certificate;
}

Certificate MakeCa(EVP_PKEY* key)
{
    Certificate ca = NewCertificate(key, 1, "Dalmora test CA");
    if (!ca || X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get())) != 1 ||
        !AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") ||
        X509_sign(ca.get(), key, EVP_sha256()) == 0)
        return nullptr;
    return ca;
}

Certificate MakeServerCertificate(EVP_PKEY* key, X509* ca, EVP_PKEY* caKey, const std::string& name)
{
    Certificate server = NewCertificate(key, 2, name.c_str());
    in_addr address{};
    std::string altName = (inet_pton(AF_INET, name.c_str(), &address) == 1 ? "IP:" : "DNS:") + name;
    if (!server || X509_set_issuer_name(server.get(), X509_get_subject_name(ca)) != 1 ||
        !AddExtension(server.get(), ca, NID_basic_constraints, "critical,CA:FALSE") ||
        !AddExtension(server.get(), ca, NID_ext_key_usage, "serverAuth") ||
        !AddExtension(server.get(), ca, NID_subject_alt_name, altName.c_str()) ||
        !AddExtension(server.get(), ca, NID_authority_key_identifier, "keyid:always") ||
        X509_sign(server.get(), caKey, EVP_sha256()) == 0)
        return nullptr;
    return server;
}

bool WritePem(const std::string& path, X509* certificate)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    bool written = PEM_write_X509(file, certificate) == 1;
    return std::fclose(file) == 0 && written;
}

} // namespace

TlsMaterial::TlsMaterial(const std::string& certificateName)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dalmora-tls-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return;
    folder_ = pattern;
    caFile_ = folder_ + "/ca.pem";

    Key caKey(EVP_EC_gen("P-256"));
    Key serverKey(EVP_EC_gen("P-256"));
    if (!caKey || !serverKey)
        return;
    Certificate ca = MakeCa(caKey.get());
    if (!ca || !WritePem(caFile_, ca.get()))
        return;
    Certificate server = MakeServerCertificate(serverKey.get(), ca.get(), caKey.get(), certificateName);
    if (!server)
        return;
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr)
        return;
    if (SSL_CTX_use_certificate(context, server.get()) != 1 || SSL_CTX_use_PrivateKey(context, serverKey.get()) != 1) {
        SSL_CTX_free(context);
        return;
    }
    context_ = context;
}

TlsMaterial::~TlsMaterial()
{
    if (context_ != nullptr)
        SSL_CTX_free(context_);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

} // namespace test_service
