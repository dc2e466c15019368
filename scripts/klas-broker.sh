#!/bin/bash
# Writes everything a classroom's MQTT broker (Debian's mosquitto 2) needs
# into one folder: the configuration, a password file with one account per
# pupil PC plus the teacher's, an ACL that keeps every PC to its own topics,
# optionally a certificate authority and a broker certificate, and for every
# PC the [klas] group to paste into its installation file.
#
#   klas-broker.sh --pcs N --dir DIR [--klas NAME] [--port P] [--listen ADDR]
#                  [--host NAME]... [--tls]
#
# Topics (KLAS is --klas):
#   KLAS/<account>/status    a pupil's program publishes its status (retained)
#   KLAS/<account>/storing   the teacher sets that PC's hidden faults
#   KLAS/allesuit            the teacher switches every station off
set -euo pipefail

usage() {
  cat <<'EOF'
Gebruik: klas-broker.sh --pcs N --dir MAP [--klas NAAM] [--port POORT]
                        [--listen ADRES] [--host NAAM]... [--tls]

  --pcs N        aantal leerling-pc's (1-250): accounts pc01, pc02, ..., pc250
  --dir MAP      map waarin de configuratie komt (wordt aangemaakt)
  --klas NAAM    naam van de klas, het eerste deel van elk topic (standaard: klas)
  --port POORT   poort van de broker (standaard 1883, met --tls 8883)
  --listen ADRES luister alleen op dit adres (standaard: alle adressen)
  --host NAAM    naam of adres waaronder de pc's de broker bereiken; mag
                 vaker; de eerste komt in de .ini-bestanden (standaard: de
                 naam van deze computer)
  --tls          versleuteld: maakt een certificaatautoriteit en een
                 certificaat voor de broker op de --host namen
EOF
}

die() {
  echo "klas-broker.sh: $*" >&2
  exit 2
}

pcs=""
dir=""
klas="klas"
port=""
listen=""
tls=0
hosts=()
while [ $# -gt 0 ]; do
  case "$1" in
  --pcs) pcs="${2:-}"; shift 2 || die "--pcs mist een getal" ;;
  --dir) dir="${2:-}"; shift 2 || die "--dir mist een map" ;;
  --klas) klas="${2:-}"; shift 2 || die "--klas mist een naam" ;;
  --port) port="${2:-}"; shift 2 || die "--port mist een getal" ;;
  --listen) listen="${2:-}"; shift 2 || die "--listen mist een adres" ;;
  --host) hosts+=("${2:-}"); shift 2 || die "--host mist een naam" ;;
  --tls) tls=1; shift ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; die "onbekende optie: $1" ;;
  esac
done

[[ $pcs =~ ^[0-9]+$ ]] && [ "$pcs" -ge 1 ] && [ "$pcs" -le 250 ] ||
  die "--pcs moet een getal van 1 tot 250 zijn (gegeven: '${pcs}')"
[ -n "$dir" ] || die "--dir ontbreekt"
# The class name is a topic level: no wildcards, separators or spaces.
[[ $klas =~ ^[A-Za-z0-9_-]{1,32}$ ]] ||
  die "--klas mag alleen letters, cijfers, - en _ bevatten (gegeven: '${klas}')"
if [ -z "$port" ]; then
  if [ $tls -eq 1 ]; then port=8883; else port=1883; fi
fi
[[ $port =~ ^[0-9]+$ ]] && [ "$port" -ge 1 ] && [ "$port" -le 65535 ] ||
  die "--port moet een getal van 1 tot 65535 zijn (gegeven: '${port}')"
if [ -n "$listen" ]; then
  [[ $listen =~ ^[0-9]{1,3}(\.[0-9]{1,3}){3}$ ]] ||
    die "--listen moet een IPv4-adres zijn (gegeven: '${listen}')"
fi
for h in "${hosts[@]}"; do
  [[ $h =~ ^[A-Za-z0-9.-]+$ ]] || die "--host is geen geldige naam of adres: '${h}'"
done
if [ ${#hosts[@]} -eq 0 ]; then
  if [ -n "$listen" ] && [ "$listen" != "0.0.0.0" ]; then
    hosts=("$listen")
  else
    hosts=("$(hostname)")
  fi
fi
command -v mosquitto_passwd >/dev/null 2>&1 ||
  die "mosquitto_passwd niet gevonden: installeer het pakket mosquitto"
if [ $tls -eq 1 ]; then
  command -v openssl >/dev/null 2>&1 || die "openssl niet gevonden: installeer het pakket openssl"
fi

mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
# The broker runs as this user. Started as root, mosquitto drops to it; as
# root this script names the unprivileged user Debian's package made and
# lets its group read what the broker needs, never root itself.
if [ "$(id -u)" -eq 0 ]; then
  id -u mosquitto >/dev/null 2>&1 ||
    die "gebruiker mosquitto bestaat niet: installeer het pakket mosquitto of draai dit script als een gewone gebruiker"
  runas=mosquitto
  runas_group="$(id -gn mosquitto)"
else
  runas="$(id -un)"
  runas_group=""
fi
umask 077

# A password of 20 letters and digits from the kernel's random source.
password() {
  local chars
  chars="$(head -c 300 /dev/urandom | LC_ALL=C tr -dc 'A-Za-z0-9')"
  [ ${#chars} -ge 20 ] || die "te weinig willekeurige tekens voor een wachtwoord"
  printf '%s' "${chars:0:20}"
}

accounts=()
for i in $(seq 1 "$pcs"); do accounts+=("$(printf 'pc%02d' "$i")"); done

passwd_file="$dir/passwd"
: >"$passwd_file"
declare -A secret
for a in "${accounts[@]}" docent; do
  secret[$a]="$(password)"
  mosquitto_passwd -b "$passwd_file" "$a" "${secret[$a]}" >/dev/null
done

# Only the teacher reads every status and result and writes faults, the
# switch-off, the lesson and the freeze (and reads the faults, the lesson and
# the freeze, so two teacher's windows keep one record); a pupil PC writes
# its own status and result and reads its own faults, the switch-off, the
# lesson, the freeze and its own result (a restarted program goes on from
# it). One entry
# per account, so a PC cannot pose as another without that PC's password.
{
  printf 'user docent\ntopic read %s/+/status\ntopic readwrite %s/+/storing\ntopic write %s/allesuit\n' \
    "$klas" "$klas" "$klas"
  printf 'topic readwrite %s/opdracht\ntopic read %s/+/resultaat\ntopic readwrite %s/bevriezen\n' \
    "$klas" "$klas" "$klas"
  for a in "${accounts[@]}"; do
    printf '\nuser %s\ntopic write %s/%s/status\ntopic read %s/%s/storing\ntopic read %s/allesuit\n' \
      "$a" "$klas" "$a" "$klas" "$a" "$klas"
    printf 'topic readwrite %s/%s/resultaat\ntopic read %s/opdracht\ntopic read %s/bevriezen\n' \
      "$klas" "$a" "$klas" "$klas"
  done
} >"$dir/acl"

if [ $tls -eq 1 ]; then
  (
    cd "$dir"
    openssl req -x509 -new -newkey rsa:2048 -nodes -days 1825 -sha256 \
      -keyout ca.key -out ca.crt -subj "/CN=Automatiseren klas ${klas} CA" 2>/dev/null
    san=""
    for h in "${hosts[@]}"; do
      if [[ $h =~ ^[0-9.]+$ ]]; then san+="IP:$h,"; else san+="DNS:$h,"; fi
    done
    openssl req -new -newkey rsa:2048 -nodes -keyout broker.key -out broker.csr \
      -subj "/CN=${hosts[0]}" 2>/dev/null
    printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\n' "${san%,}" >broker.ext
    openssl x509 -req -in broker.csr -CA ca.crt -CAkey ca.key -CAcreateserial \
      -out broker.crt -days 1825 -sha256 -extfile broker.ext 2>/dev/null
    rm -f broker.csr broker.ext ca.srl
    chmod 644 ca.crt
  )
fi

{
  echo "# Klas '${klas}': broker for Automatiseren voor het VMBO (klas-broker.sh)"
  echo "per_listener_settings false"
  echo "allow_anonymous false"
  echo "persistence false"
  echo "password_file $passwd_file"
  echo "acl_file $dir/acl"
  echo "user $runas"
  if [ -n "$listen" ]; then echo "listener $port $listen"; else echo "listener $port"; fi
  if [ $tls -eq 1 ]; then
    echo "cafile $dir/ca.crt"
    echo "certfile $dir/broker.crt"
    echo "keyfile $dir/broker.key"
    echo "tls_version tlsv1.2"
  fi
} >"$dir/mosquitto.conf"

# Readable by the broker's group only; the .ini files (every password) and
# the authority's key stay root's.
if [ -n "$runas_group" ]; then
  readable=("$dir/mosquitto.conf" "$dir/passwd" "$dir/acl")
  [ $tls -eq 1 ] && readable+=("$dir/ca.crt" "$dir/broker.crt" "$dir/broker.key")
  chgrp "$runas_group" "$dir" "${readable[@]}"
  chmod g+rx "$dir"
  chmod g+r "${readable[@]}"
fi

broker="${hosts[0]}:$port"
ini() {
  local account="$1"
  echo "[klas]"
  echo "broker=$broker"
  if [ $tls -eq 1 ]; then echo "ca=/etc/automatiseren/klas-ca.crt"; fi
  echo "gebruiker=$account"
  echo "wachtwoord=${secret[$account]}"
  echo "naam=$account"
  echo "klas=$klas"
}
for a in "${accounts[@]}"; do ini "$a" >"$dir/$a.ini"; done
{
  ini docent
  (IFS=,; echo "leerlingen=${accounts[*]}")
} >"$dir/docent.ini"

echo "Klaar: de broker-configuratie staat in $dir"
echo "  ${pcs} leerling-pc's (${accounts[0]} .. ${accounts[-1]}) en de docent (docent.ini)."
echo "  Plak elk .ini-bestand als groep [klas] in /etc/automatiseren/Automatiseren.ini"
echo "  van die pc.$([ $tls -eq 1 ] && echo " Kopieer ook $dir/ca.crt naar /etc/automatiseren/klas-ca.crt.")"
echo "Start de broker met:"
echo "  mosquitto -c $dir/mosquitto.conf"
