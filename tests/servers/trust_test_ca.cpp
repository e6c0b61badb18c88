// trust_test_ca.exe CA.pem: makes the test prefix trust the test CA, so the program's own
// certificate checks accept the HTTPS test server. Run under Wine in the build folder's
// prefix by the test_servers fixture, never on a real machine.
//
// The certificate goes into the current user's "Root" system store. Earlier test CAs of the
// same subject are removed first, so repeated runs do not pile them up.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: trust_test_ca CA.pem\n");
        return 2;
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"cannot open %ls (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    std::vector<char> pem(1 << 16);
    DWORD got = 0;
    BOOL read = ReadFile(file, pem.data(), static_cast<DWORD>(pem.size()), &got, nullptr);
    CloseHandle(file);
    if (!read || got == 0) {
        std::fwprintf(stderr, L"cannot read %ls\n", argv[1]);
        return 1;
    }
    DWORD derSize = 0;
    if (!CryptStringToBinaryA(pem.data(), got, CRYPT_STRING_BASE64HEADER, nullptr, &derSize,
                              nullptr, nullptr)) {
        std::fwprintf(stderr, L"%ls is not a PEM certificate\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(derSize);
    CryptStringToBinaryA(pem.data(), got, CRYPT_STRING_BASE64HEADER, der.data(), &derSize,
                         nullptr, nullptr);
    PCCERT_CONTEXT cert =
        CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(), derSize);
    if (!cert) {
        std::fwprintf(stderr, L"cannot parse the certificate (error %lu)\n", GetLastError());
        return 1;
    }
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                    CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!root) {
        std::fwprintf(stderr, L"cannot open the Root store (error %lu)\n", GetLastError());
        return 1;
    }
    // Remove older test CAs with the same subject (each run of a fresh build makes a new key).
    for (;;) {
        PCCERT_CONTEXT old = CertFindCertificateInStore(
            root, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
            &cert->pCertInfo->Subject, nullptr);
        if (!old) break;
        CertDeleteCertificateFromStore(old);  // frees `old`
    }
    BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), derSize,
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    DWORD error = GetLastError();
    CertCloseStore(root, 0);
    CertFreeCertificateContext(cert);
    if (!added) {
        std::fwprintf(stderr, L"cannot add the CA to the Root store (error %lu)\n", error);
        return 1;
    }
    return 0;
}
