#!/usr/bin/env bash
# Makes the files of a Windows package what the vendor ships, before they are zipped:
#
#     scripts/windows/release-files.sh [--symbols DIR] [--demo-certificate DIR] TREE
#
# 1. Every program and DLL below TREE is stripped (menu_win_strip in common.sh); the debug
#    information of those that still have some goes into the symbols directory (--symbols),
#    linked to each file, for the vendor alone: it is never shipped.
# 2. Every program (*.exe) is signed with Authenticode by osslsigncode and its signature
#    checked with `osslsigncode verify`, so that Windows names the vendor as the publisher. The
#    launcher itself trusts minisign's signature of the announcement, never this one. The
#    certificate comes from the environment:
#      MENU_SIGN_PKCS12      a .pfx/.p12 file with the certificate, its chain and the key, or
#      MENU_SIGN_CERT        the certificate and its chain (PEM or DER) and
#      MENU_SIGN_KEY         its private key (PEM or DER);
#      MENU_SIGN_PASSWORD_FILE  the file holding the password of the key or the .pfx, if any;
#      MENU_SIGN_TIMESTAMP   an RFC 3161 time-stamp server (its URL), so that the signature
#                            stays valid after the certificate has expired;
#      MENU_SIGN_CA          the authorities the check accepts (default: the system's).
#    Without them, --demo-certificate DIR signs with a test certificate made once in DIR by
#    openssl (the demo's; Windows does not trust it). With neither, nothing is signed.
# Prints each file's size, and the whole tree's.
set -euo pipefail
# shellcheck source=scripts/windows/common.sh
source "$(dirname "$0")/common.sh"

symbols=''
demo=''
while [ $# -gt 1 ]; do
  case $1 in
  --symbols) symbols=$(realpath -m "$2") ;;
  --demo-certificate) demo=$(realpath -m "$2") ;;
  *) die "release-files.sh: unknown option $1" ;;
  esac
  shift 2
done
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  die "usage: release-files.sh [--symbols DIR] [--demo-certificate DIR] TREE"
fi
tree=${1%/}

# A self-signed certificate for code signing, made once; its key never leaves DIR.
demo_certificate() {
  local dir=$1
  [ -s "$dir/demo-sign.pem" ] && [ -s "$dir/demo-sign.key" ] && return 0
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:3072 -sha256 -days 3650 -nodes -keyout "$dir/demo-sign.key" \
    -out "$dir/demo-sign.pem" -subj "/O=ORVAN demo/CN=ORVAN demo code signing" \
    -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" >"$dir/openssl.log" 2>&1 ||
    { cat "$dir/openssl.log" >&2; die "openssl could not make the demo's signing certificate"; }
  chmod 600 "$dir/demo-sign.key"
}

signer=()
ca=${MENU_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}
if [ -n "${MENU_SIGN_PKCS12:-}" ]; then
  signer=(-pkcs12 "$MENU_SIGN_PKCS12")
elif [ -n "${MENU_SIGN_CERT:-}" ]; then
  [ -n "${MENU_SIGN_KEY:-}" ] || die "MENU_SIGN_CERT needs MENU_SIGN_KEY"
  signer=(-certs "$MENU_SIGN_CERT" -key "$MENU_SIGN_KEY")
elif [ -n "$demo" ]; then
  demo_certificate "$demo"
  signer=(-certs "$demo/demo-sign.pem" -key "$demo/demo-sign.key")
  ca=$demo/demo-sign.pem
fi
if [ ${#signer[@]} -gt 0 ]; then
  command -v osslsigncode >/dev/null || die "osslsigncode is missing (Debian package osslsigncode)"
  [ -z "${MENU_SIGN_PASSWORD_FILE:-}" ] || signer+=(-readpass "$MENU_SIGN_PASSWORD_FILE")
  [ -z "${MENU_SIGN_TIMESTAMP:-}" ] || signer+=(-ts "$MENU_SIGN_TIMESTAMP")
fi

# Signs a program in place and checks the signature: the digest of the file as it is now,
# and the certificate's chain up to the accepted authorities.
sign() {
  local file=$1 signed=$1.signing
  rm -f "$signed"
  osslsigncode sign "${signer[@]}" -h sha256 -n "ORVAN - Základná ponuka" \
    -in "$file" -out "$signed" >"$signed.log" 2>&1 ||
    { cat "$signed.log" >&2; rm -f "$signed" "$signed.log"; die "osslsigncode could not sign $file"; }
  mv "$signed" "$file"
  osslsigncode verify -CAfile "$ca" -in "$file" >"$signed.log" 2>&1 ||
    { cat "$signed.log" >&2; rm -f "$signed.log"; die "the signature of $file does not verify"; }
  rm -f "$signed.log"
}

while IFS= read -r -d '' file; do
  menu_win_strip "$file" "$tree" "$symbols"
  if [ ${#signer[@]} -gt 0 ] && [[ ${file,,} == *.exe ]]; then
    sign "$file"
    say "signed and verified: ${file#"$tree"/}"
  fi
done < <(find "$tree" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)

find "$tree" -type f -printf '%s %P\n' | sort -k2 >&2
say "$(du -sb "$tree" | cut -f1) bytes in $tree"
