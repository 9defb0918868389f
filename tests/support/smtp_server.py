#!/usr/bin/python3
"""A real SMTP server on loopback for the mail tests (aiosmtpd).

Prints the port it listens on, then takes messages until it is killed or its
lifetime ends. Each message is taken apart by Python's own MIME parser and
written to OUT/<n>/: raw (as received), from, rcpt (one per line), to, subject, body, and, for an
attachment, attachment-name and attachment (its bytes).

usage: smtp_server.py OUT [--auth USER:PASSWORD] [--lifetime SECONDS]
"""
import argparse
import asyncio
import email
import email.policy
import logging
import os
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, out):
        self.out = out
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        folder = os.path.join(self.out, str(self.count))
        os.makedirs(folder + ".part")
        msg = email.message_from_bytes(envelope.content, policy=email.policy.default)
        files = {
            "from": envelope.mail_from.encode(),
            "rcpt": "\n".join(envelope.rcpt_tos).encode(),
            "to": str(msg["To"]).encode(),
            "subject": str(msg["Subject"]).encode(),
            "raw": envelope.content,
        }
        for part in msg.walk():
            if part.get_content_maintype() == "multipart":
                continue
            if part.get_filename():
                files["attachment-name"] = part.get_filename().encode()
                files["attachment"] = part.get_payload(decode=True)
            elif part.get_content_type() == "text/plain":
                files["body"] = part.get_content().encode()
        for name, data in files.items():
            with open(os.path.join(folder + ".part", name), "wb") as f:
                f.write(data)
        # Readers see a message only once it is complete.
        os.rename(folder + ".part", folder)
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--auth")
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()

    def authenticator(server, session, envelope, mechanism, data):
        ok = isinstance(data, LoginPassword) and \
            f"{data.login.decode()}:{data.password.decode()}" == args.auth
        # Not "handled": the server itself answers a refusal with 535.
        return AuthResult(success=ok, handled=False)

    # Sign-on without TLS is what these tests want; no warnings about it.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    options = {}
    if args.auth:
        options = dict(authenticator=authenticator, auth_required=True, auth_require_tls=False)
    handler = Saver(args.out)
    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(
        loop.create_server(lambda: SMTP(handler, loop=loop, **options), "127.0.0.1", 0))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.call_later(args.lifetime, loop.stop)
    loop.run_forever()


if __name__ == "__main__":
    main()
