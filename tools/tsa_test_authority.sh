#!/bin/sh
# A CA and a time-stamping authority it certifies, for the tests of the seal's
# time stamp: made with openssl in FOLDER as ca.pem (the CA's certificate),
# tsa.pem and tsa.key (the authority's certificate, for time stamping only,
# and its key), valid two days.
#
#   tools/tsa_test_authority.sh FOLDER
set -eu
[ $# -eq 1 ] || { echo "uso: $0 CARTELLA" >&2; exit 2; }
mkdir -p "$1"
cd "$1"
key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
printf 'extendedKeyUsage = critical,timeStamping\nkeyUsage = critical,digitalSignature\n' > tsa.ext
openssl req -x509 $key -keyout ca.key -out ca.pem -days 2 -subj /CN=CA-di-prova \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req $key -keyout tsa.key -out tsa.csr -subj /CN=TSA-di-prova 2>/dev/null
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out tsa.pem -days 2 -extfile tsa.ext 2>/dev/null
