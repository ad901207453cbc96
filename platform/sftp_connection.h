#pragma once
// FtpConnection over SFTP, through libcurl's SFTP (libssh2): the same operations as FTP's with
// exact times, the server's key checked against our known-hosts file.
#include <memory>

#include "platform/ftp_connection.h"

namespace platform {

[[nodiscard]] std::unique_ptr<FtpConnection> OpenSftpConnection(FtpSettings settings);

}  // namespace platform
