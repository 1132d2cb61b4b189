#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode (SHA-256, the program's name and address),
# then verifies the signature against the system's authorities and the certificate's own chain;
# a file that does not verify is left unsigned and the build fails. Called by the build for
# stakora.exe and by makensis for the uninstaller and the installer.
#   sign_pe.sh CERT.p12 NAME URL FILE.exe
# The certificate's password comes from STAKORA_WINDOWS_CERT_PASSWORD and reaches the tools
# through a pipe, never a command line. The signing time is SOURCE_DATE_EPOCH, so the same
# build signed again gives the same bytes; STAKORA_TIMESTAMP_URL asks an RFC 3161 server for a
# timestamp instead.
set -euo pipefail
cert=${1:?usage: sign_pe.sh CERT.p12 NAME URL FILE.exe} name=$2 url=$3 file=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
password() { printf '%s' "${STAKORA_WINDOWS_CERT_PASSWORD-}"; }

when=(-st "${SOURCE_DATE_EPOCH:?the signing time is the commit time: set SOURCE_DATE_EPOCH}")
[ -z "${STAKORA_TIMESTAMP_URL:-}" ] || when=(-ts "$STAKORA_TIMESTAMP_URL")
osslsigncode sign -pkcs12 "$cert" -readpass <(password) -h sha256 -n "$name" -i "$url" \
    "${when[@]}" -in "$file" -out "$work/signed.exe" >/dev/null

openssl pkcs12 -in "$cert" -nokeys -passin file:<(password) -out "$work/chain.pem" 2>/dev/null
cat /etc/ssl/certs/ca-certificates.crt "$work/chain.pem" >"$work/trusted.pem" 2>/dev/null ||
    cp "$work/chain.pem" "$work/trusted.pem"
if ! osslsigncode verify -CAfile "$work/trusted.pem" -in "$work/signed.exe" >"$work/verify.txt" 2>&1; then
    cat "$work/verify.txt" >&2
    echo "sign_pe.sh: the signature of $file does not verify" >&2
    exit 1
fi
mv "$work/signed.exe" "$file"
