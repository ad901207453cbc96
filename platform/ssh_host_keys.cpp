#include "platform/ssh_host_keys.h"

#include <glib.h>

#include "platform/file_system.h"
#include "platform/path.h"

namespace platform {
namespace {

std::string base64(std::string_view bytes) {
  gchar* text = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
  std::string result(text);
  g_free(text);
  return result;
}

// The key's bytes: curl hands the server's key as they are, and a kept one as its Base64 text.
std::string keyBytes(const curl_khkey& key) {
  if (key.len > 0) return std::string(key.key, key.len);
  gsize length = 0;
  guchar* bytes = g_base64_decode(key.key, &length);
  std::string result(reinterpret_cast<const char*>(bytes), length);
  g_free(bytes);
  return result;
}

// The key's type as its bytes begin ("ssh-ed25519", "ecdsa-sha2-nistp256"): a length in four
// bytes, then the name.
std::string keyType(std::string_view key) {
  if (key.size() < 4) return "unknown";
  const auto byte = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(key[i])); };
  const std::size_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
  if (length == 0 || length > 64 || key.size() < 4 + length) return "unknown";
  return std::string(key.substr(4, length));
}

// The server as a known-hosts line names it: "host", or "[host]:port" off port 22.
std::string hostPattern(const HostKeyCheck& check) {
  return check.port == 22 ? check.host : "[" + check.host + "]:" + std::to_string(check.port);
}

// Adds the key's line to the file (made with its folder when missing), never leaving it
// half-written.
bool keep(const HostKeyCheck& check, std::string_view key, std::string& error) {
  std::string text;
  if (exists(check.file)) {
    const auto existing = readWholeFile(check.file, &error);
    if (!existing) return false;
    text = *existing;
    if (!text.empty() && text.back() != '\n') text += '\n';
  }
  text += hostPattern(check) + " " + keyType(key) + " " + base64(key) + "\n";
  return createFolderChain(parentOf(check.file), &error) && writeFileReplacing(check.file, text, 0600, &error);
}

}  // namespace

std::string keyFingerprint(std::string_view key) {
  GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
  g_checksum_update(checksum, reinterpret_cast<const guchar*>(key.data()), static_cast<gssize>(key.size()));
  guint8 digest[32];
  gsize length = sizeof digest;
  g_checksum_get_digest(checksum, digest, &length);
  g_checksum_free(checksum);
  std::string text = base64(std::string_view(reinterpret_cast<const char*>(digest), length));
  while (!text.empty() && text.back() == '=') text.pop_back();
  return "SHA256:" + text;
}

int checkHostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match, void* data) {
  auto& check = *static_cast<HostKeyCheck*>(data);
  const std::string key = keyBytes(*found);
  const std::string server = check.host + ":" + std::to_string(check.port);
  const std::string shown = keyType(key) + " " + keyFingerprint(key);
  switch (match) {
    case CURLKHMATCH_OK:
      return CURLKHSTAT_FINE;
    case CURLKHMATCH_MISSING: {
      std::string error;
      if (!keep(check, key, error)) {
        check.refusal = "the key of the SSH server " + server + " (" + shown + ") cannot be kept in " + check.file + ": " + error +
                        "; not connected";
        return CURLKHSTAT_REJECT;
      }
      check.notice = "The SSH server " + server + " was met for the first time; its key (" + shown +
                     ") is trusted from now on and kept in " + check.file + ".";
      return CURLKHSTAT_FINE;
    }
    default: {
      const std::string kept = known != nullptr ? keyFingerprint(keyBytes(*known)) : std::string("?");
      check.refusal = "the SSH server " + server + " shows another key (" + shown + ") than the one kept for it in " + check.file +
                      " (" + kept + "): not connected. If the server's key was changed on purpose, remove its line from that file";
      return CURLKHSTAT_REJECT;
    }
  }
}

}  // namespace platform
