#pragma once
// The SSH servers' keys an SFTP connection trusts, kept in a known-hosts file of our own in
// OpenSSH's format: the key of a server met for the first time is added (trust on first use, with
// a message naming its fingerprint); a key other than the one kept is refused.
#include <curl/curl.h>

#include <string>
#include <string_view>

namespace platform {

struct HostKeyCheck {
  std::string file;
  std::string host;
  int port = 22;
  // Set by a check: what the user should read (a key trusted for the first time), or why the
  // server was refused.
  std::string notice;
  std::string refusal;
};

// A key's fingerprint as OpenSSH prints it ("SHA256:" and the unpadded Base64 of the SHA-256 of
// the key's bytes).
[[nodiscard]] std::string keyFingerprint(std::string_view key);

// libcurl's CURLOPT_SSH_KEYFUNCTION, with a HostKeyCheck as its data. A key met for the first
// time is written to the file before the connection goes on; one that cannot be written is
// refused, so no server is trusted that the next connection would not recognize.
int checkHostKey(CURL* curl, const curl_khkey* known, const curl_khkey* found, curl_khmatch match, void* check);

}  // namespace platform
