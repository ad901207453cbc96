# A local FTP server for the tests: pyftpdlib on 127.0.0.1, on a free port written to PORTFILE.
# Usage: ftp_server.py ROOT PORTFILE [plain]  ("plain": without MLSD, MLST and MFMT).
import sys, os, logging
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.CRITICAL)
root, portfile = sys.argv[1], sys.argv[2]
auth = DummyAuthorizer()
auth.add_user('velkor', 'secret pass', root, perm='elradfmwMT')
class Handler(FTPHandler):
    pass
Handler.authorizer = auth
if len(sys.argv) > 3 and sys.argv[3] == 'plain':
    Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in ('MLSD', 'MLST', 'MFMT')}
server = FTPServer(('127.0.0.1', 0), Handler)
with open(portfile + '.part', 'w') as f:
    f.write(str(server.socket.getsockname()[1]))
os.rename(portfile + '.part', portfile)
server.serve_forever()
