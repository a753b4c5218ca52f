#!/bin/sh
# The test keys of the office's signature, made with openssl in FOLDER: the
# CA and its time-stamping authority (tools/tsa_test_authority.sh: ca.pem,
# ca.key, tsa.pem, tsa.key), signers it certifies, each with its key and
# certificate (NAME.key, NAME.pem) and in a PKCS#12 file with the CA
# (NAME.p12): firma (digital signature and non-repudiation, "Mario Rossi
# firma", passphrase "segreto di prova"), cifra (key encipherment only),
# scaduta (expired yesterday), bianchi ("Anna Bianchi", passphrase
# "segreto"); and altra-ca.pem, a CA that certifies none of them. The tests
# run it themselves on Linux; tools/windows.sh runs it before the tests under
# Wine (which has no openssl program) and names FOLDER to them in
# QUENVOL_TEST_SIGNING.
#
#   tools/signing_test_keys.sh FOLDER
set -eu
[ $# -eq 1 ] || { echo "uso: $0 CARTELLA" >&2; exit 2; }
"$(dirname "$0")/tsa_test_authority.sh" "$1"
cd "$1"
key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
# signer NAME USAGE DAYS SUBJECT PASSPHRASE
signer() {
  printf 'keyUsage=critical,%s\n' "$2" > "$1.ext"
  openssl req $key -keyout "$1.key" -out "$1.csr" -subj "$4" 2>/dev/null
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" -days "$3" \
    -extfile "$1.ext" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -certfile ca.pem -passout "pass:$5" -out "$1.p12"
}
signer firma digitalSignature,nonRepudiation 2 '/CN=Mario Rossi firma/O=Ufficio' 'segreto di prova'
signer cifra keyEncipherment 2 '/CN=Mario Rossi cifra/O=Ufficio' 'segreto di prova'
signer scaduta digitalSignature -1 '/CN=Mario Rossi scaduta/O=Ufficio' 'segreto di prova'
signer bianchi digitalSignature 2 '/CN=Anna Bianchi' segreto
openssl req -x509 $key -keyout altra-ca.key -out altra-ca.pem -days 2 -subj /CN=Altra-CA 2>/dev/null
