"""An FTP server for the transfer tests (run with /usr/bin/python3: it needs pyftpdlib).

It serves one folder to the accounts given, on 127.0.0.1 (or another local address) and a
free port, and prints that port once it listens. Every command received is appended to
commands.log in the log folder as "COMMAND argument" (a password never is); the reply
codes it sent are appended to replies.log.

For tests of a hostile or failing server it can answer every folder listing (MLSD and LIST)
with the bytes of a given file, cut the download of one file name after some bytes with a
"426" reply, as a server that loses its disk or its connection mid-way does (or with "226",
as one that closes the data connection early and still calls the transfer complete does), and
refuse SIZE with "550", as some servers do.
"""

import argparse
import errno
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FileProducer, FTPHandler
from pyftpdlib.servers import FTPServer


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--logdir", required=True)
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--user", action="append", default=[],
                   help="login:password:permissions")
    p.add_argument("--no-mlsd", action="store_true",
                   help="answer MLSD as an unknown command, as older servers do")
    p.add_argument("--listing",
                   help="a file whose bytes answer every MLSD and LIST, whatever the folder")
    p.add_argument("--cut", metavar="NAME:BYTES",
                   help="a download of that file name stops after that many bytes (426)")
    p.add_argument("--cut-complete", action="store_true",
                   help="the cut download ends there as if whole: data closed, then 226")
    p.add_argument("--no-size", action="store_true",
                   help="answer every SIZE with 550, as servers that refuse it do")
    return p.parse_args()


class CutFile:
    """A file that reads up to a number of bytes, then fails as a broken disk does."""

    def __init__(self, fd, left):
        self.fd = fd
        self.left = left
        self.name = fd.name

    @property
    def closed(self):
        return self.fd.closed

    def read(self, size):
        if self.left <= 0:
            raise OSError(errno.EIO, "transfer cut by the test")
        data = self.fd.read(min(size, self.left))
        self.left -= len(data)
        return data

    def close(self):
        self.fd.close()


class ShortFile(CutFile):
    """A file that ends after a number of bytes, whatever its size."""

    def read(self, size):
        if self.left <= 0:
            return b""
        return super().read(size)


def main():
    args = parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    for account in args.user:
        login, password, perm = account.split(":", 2)
        authorizer.add_user(login, password, args.root, perm=perm)
    commands = os.path.join(args.logdir, "commands.log")

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            with open(commands, "a", encoding="utf-8") as f:
                shown = "****" if cmd == "PASS" else arg
                f.write(cmd + (" " + shown if shown else "") + "\n")
            if args.no_mlsd and cmd in ("MLSD", "MLST"):
                self.respond("500 Command \"%s\" not understood." % cmd)
                return
            if args.no_size and cmd == "SIZE":
                self.respond("550 SIZE not allowed on this server.")
                return
            return super().pre_process_command(line, cmd, arg)

        def crafted_listing(self, path, cmd):
            with open(args.listing, "rb") as f:
                self.push_dtp_data(f.read(), cmd=cmd)
            return path

        def ftp_MLSD(self, path):
            if args.listing:
                return self.crafted_listing(path, "MLSD")
            return super().ftp_MLSD(path)

        def ftp_LIST(self, path):
            if args.listing:
                return self.crafted_listing(path, "LIST")
            return super().ftp_LIST(path)

        def ftp_RETR(self, file):
            if args.cut:
                name, size = args.cut.rsplit(":", 1)
                if os.path.basename(file) == name:
                    self._restart_position = 0
                    kind = ShortFile if args.cut_complete else CutFile
                    cut = kind(open(file, "rb"), int(size))
                    self.push_dtp_data(FileProducer(cut, self._current_type),
                                       isproducer=True, file=cut, cmd="RETR")
                    return file
            return super().ftp_RETR(file)

    Handler.authorizer = authorizer
    Handler.banner = "zentrik-test ready."
    Handler.permit_foreign_addresses = True
    Handler.auth_failed_timeout = 0.05  # refused logins answer at once
    server = FTPServer((args.host, args.port), Handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
