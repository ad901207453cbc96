# A local FTP server for the tests: pyftpdlib on 127.0.0.1, on a free port written to PORTFILE.
# Usage: ftp_server.py ROOT PORTFILE full|plain|tls PORT [CERTFILE KEYFILE]   (PORT 0: a free one)
#   plain: without MLSD, MLST and MFMT; tls: FTPS (explicit TLS required on both channels).
import sys, os, logging
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.CRITICAL)
root, portfile, mode, port = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
auth = DummyAuthorizer()
auth.add_user('velkor', 'secret pass', root, perm='elradfmwMT')
if mode == 'tls':
    from pyftpdlib.handlers import TLS_FTPHandler, TLS_DTPHandler
    class DataHandler(TLS_DTPHandler):
        # pyftpdlib takes a data connection that turns readable before the transfer command as
        # closed; curl starts the TLS handshake right after connecting, so let it proceed.
        def readable(self):
            return self._ssl_accepting or super().readable()
    class Handler(TLS_FTPHandler):
        certfile, keyfile = sys.argv[5], sys.argv[6]
        tls_control_required = True
        tls_data_required = True
        dtp_handler = DataHandler
else:
    class Handler(FTPHandler):
        pass
Handler.authorizer = auth
if mode == 'plain':
    Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in ('MLSD', 'MLST', 'MFMT')}
# A restarted server takes its old port again: the address a store holds must reach it.
FTPServer.allow_reuse_address = True
server = FTPServer(('127.0.0.1', port), Handler)
with open(portfile + '.part', 'w') as f:
    f.write(str(server.socket.getsockname()[1]))
os.rename(portfile + '.part', portfile)
server.serve_forever()
