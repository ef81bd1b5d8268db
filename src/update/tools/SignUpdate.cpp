// dilato-sign: makes the release key and signs update archives. A release maintainer's tool,
// built with the program but never installed.
//
//   dilato-sign keygen SECRET-KEY-FILE     new key pair; the secret goes to the file (mode 600,
//                                          never overwritten), the public half is printed
//   dilato-sign public SECRET-KEY-FILE     prints the public half again
//   dilato-sign sign SECRET-KEY-FILE ARCHIVE   writes ARCHIVE.sig (detached Ed25519)
//   dilato-sign verify PUBLIC-KEY-HEX ARCHIVE  checks ARCHIVE against ARCHIVE.sig
//
// The public half (64 hex digits) is what the program is configured with:
//   cmake -DDILATO_UPDATE_PUBLIC_KEY=<hex> ...

#include <sodium.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::optional<std::vector<unsigned char>> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

bool WriteNew(const std::string& path, const unsigned char* bytes, size_t size, mode_t mode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes, size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && ok;
}

std::string Hex(const unsigned char* bytes, size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}

std::optional<std::vector<unsigned char>> ReadSecret(const std::string& path) {
    auto secret = ReadAll(path);
    if (!secret || secret->size() != crypto_sign_SECRETKEYBYTES) {
        std::cerr << path << ": not a secret key file\n";
        return std::nullopt;
    }
    return secret;
}

int Keygen(const std::string& secretPath) {
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(pk, sk);
    const bool written = WriteNew(secretPath, sk, sizeof sk, 0600);
    sodium_memzero(sk, sizeof sk);
    if (!written) {
        std::cerr << secretPath << ": cannot be written (does it exist already?)\n";
        return 1;
    }
    std::cout << Hex(pk, sizeof pk) << "\n";
    return 0;
}

int Public(const std::string& secretPath) {
    auto secret = ReadSecret(secretPath);
    if (!secret) return 1;
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_ed25519_sk_to_pk(pk, secret->data());
    sodium_memzero(secret->data(), secret->size());
    std::cout << Hex(pk, sizeof pk) << "\n";
    return 0;
}

int Sign(const std::string& secretPath, const std::string& archive) {
    auto secret = ReadSecret(secretPath);
    const auto bytes = ReadAll(archive);
    if (!secret) return 1;
    if (!bytes) {
        std::cerr << archive << ": cannot be read\n";
        return 1;
    }
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, bytes->data(), bytes->size(), secret->data());
    sodium_memzero(secret->data(), secret->size());
    const std::string sigPath = archive + ".sig";
    std::remove(sigPath.c_str());
    if (!WriteNew(sigPath, signature, sizeof signature, 0644)) {
        std::cerr << sigPath << ": cannot be written\n";
        return 1;
    }
    std::cout << sigPath << "\n";
    return 0;
}

int Verify(const std::string& publicHex, const std::string& archive) {
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    size_t length = 0;
    if (sodium_hex2bin(pk, sizeof pk, publicHex.data(), publicHex.size(), nullptr, &length,
                       nullptr) != 0 ||
        length != sizeof pk) {
        std::cerr << "the public key must be " << 2 * sizeof pk << " hex digits\n";
        return 1;
    }
    const auto bytes = ReadAll(archive);
    const auto signature = ReadAll(archive + ".sig");
    if (!bytes || !signature || signature->size() != crypto_sign_BYTES) {
        std::cerr << archive << " or its .sig cannot be read\n";
        return 1;
    }
    if (crypto_sign_verify_detached(signature->data(), bytes->data(), bytes->size(), pk) != 0) {
        std::cerr << archive << ": signature does NOT match\n";
        return 1;
    }
    std::cout << archive << ": signature good\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (sodium_init() < 0) return 1;
    if (args.size() == 2 && args[0] == "keygen") return Keygen(args[1]);
    if (args.size() == 2 && args[0] == "public") return Public(args[1]);
    if (args.size() == 3 && args[0] == "sign") return Sign(args[1], args[2]);
    if (args.size() == 3 && args[0] == "verify") return Verify(args[1], args[2]);
    std::cerr << "usage: dilato-sign keygen SECRET | public SECRET | sign SECRET ARCHIVE | "
                 "verify PUBLIC-HEX ARCHIVE\n";
    return 2;
}
