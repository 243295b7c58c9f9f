#pragma once

// A self-signed certificate for 127.0.0.1, made when a test starts, and the
// https server context that presents it.
#include <boost/asio/ssl/context.hpp>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

struct TestCertificate {
    EVP_PKEY *key = nullptr;
    X509 *cert = nullptr;

    // subjectAltName, e.g. "IP:127.0.0.1".
    explicit TestCertificate(const std::string &altName = "IP:127.0.0.1")
    {
        key = EVP_EC_gen("P-256");
        cert = X509_new();
        if (!key || !cert)
            throw std::runtime_error("cannot make a test key");
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24);
        X509_set_pubkey(cert, key);
        X509_NAME *name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("test"),
                                   -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
        for (const auto &[nid, value] : {std::pair{NID_subject_alt_name, altName},
                                         std::pair{NID_basic_constraints, std::string("critical,CA:TRUE")}}) {
            X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
            X509_add_ext(cert, ext, -1);
            X509_EXTENSION_free(ext);
        }
        if (!X509_sign(cert, key, EVP_sha256()))
            throw std::runtime_error("cannot sign the test certificate");
    }
    ~TestCertificate()
    {
        X509_free(cert);
        EVP_PKEY_free(key);
    }
    TestCertificate(const TestCertificate &) = delete;
    TestCertificate &operator=(const TestCertificate &) = delete;

    void writePem(const std::filesystem::path &file) const
    {
        FILE *f = std::fopen(file.c_str(), "w");
        if (!f || !PEM_write_X509(f, cert))
            throw std::runtime_error("cannot write the test certificate");
        std::fclose(f);
    }

    // A server context presenting this certificate.
    void configure(boost::asio::ssl::context &server) const
    {
        SSL_CTX_use_certificate(server.native_handle(), cert);
        SSL_CTX_use_PrivateKey(server.native_handle(), key);
    }
};
