'use strict'
// Open Sound Control 1.0 as the board speaks it: messages with int, float and
// string arguments out, messages and bundles in. Nothing here trusts a byte
// of a datagram: anything malformed reads as no message at all.

// A string's bytes with its NUL, padded to a multiple of four.
function padded(bytes) {
  const out = Buffer.alloc((bytes.length + 4) & ~3)
  bytes.copy(out)
  return out
}

// A message's datagram. Arguments are { type: 'i' | 'f' | 's', value }.
function encodeMessage(address, args = []) {
  const parts = [
    padded(Buffer.from(address, 'utf8')),
    padded(Buffer.from(',' + args.map((a) => a.type).join(''), 'utf8')),
  ]
  for (const { type, value } of args) {
    const b = Buffer.alloc(4)
    if (type === 'i') b.writeInt32BE(value | 0)
    else if (type === 'f') b.writeFloatBE(value)
    else if (type === 's') {
      parts.push(padded(Buffer.from(String(value), 'utf8')))
      continue
    } else throw new Error(`no OSC argument of type ${type}`)
    parts.push(b)
  }
  return Buffer.concat(parts)
}

const pad4 = (n) => (n + 3) & ~3

// Reads within one packet; a read past its end throws.
class Reader {
  constructor(buf, start, end) {
    this.buf = buf
    this.at = start
    this.end = end
  }
  skip(n) {
    if (n < 0 || this.at + n > this.end) throw new RangeError('short packet')
    const from = this.at
    this.at += n
    return from
  }
  fixed(n, read) {
    return read.call(this.buf, this.skip(n))
  }
  string() {
    const nul = this.buf.indexOf(0, this.at)
    if (nul < 0 || nul >= this.end) throw new RangeError('unterminated string')
    const from = this.skip(pad4(nul - this.at + 1))
    return this.buf.toString('utf8', from, nul)
  }
  blob() {
    const n = this.fixed(4, Buffer.prototype.readInt32BE)
    const from = this.skip(pad4(n))
    return this.buf.subarray(from, from + n)
  }
}

const B = Buffer.prototype
const ARGUMENTS = {
  i: (r) => r.fixed(4, B.readInt32BE),
  f: (r) => r.fixed(4, B.readFloatBE),
  h: (r) => Number(r.fixed(8, B.readBigInt64BE)),
  d: (r) => r.fixed(8, B.readDoubleBE),
  t: (r) => r.fixed(8, B.readBigUInt64BE),
  c: (r) => r.fixed(4, B.readUInt32BE),
  r: (r) => r.fixed(4, B.readUInt32BE),
  m: (r) => r.fixed(4, B.readUInt32BE),
  s: (r) => r.string(),
  S: (r) => r.string(),
  b: (r) => r.blob(),
  T: () => true,
  F: () => false,
  N: () => null,
  I: () => null,
}

function readArgument(r, type) {
  const read = ARGUMENTS[type]
  if (!read) throw new RangeError(`unknown type tag ${type}`)
  return { type, value: read(r) }
}

const BUNDLE = Buffer.from('#bundle\0', 'latin1')

// The messages of the packet in buf[start, end), bundles' in order, depth first.
function readPacket(buf, start, end, out, depth) {
  if (depth > 8) throw new RangeError('bundles nested too deep')
  if (end - start >= 16 && buf.compare(BUNDLE, 0, 8, start, start + 8) === 0) {
    const r = new Reader(buf, start + 16, end)
    while (r.at < end) {
      const size = r.fixed(4, B.readInt32BE)
      if (size <= 0 || size % 4 !== 0) throw new RangeError('bad bundle element size')
      const from = r.skip(size)
      readPacket(buf, from, from + size, out, depth + 1)
    }
    return
  }
  const r = new Reader(buf, start, end)
  const address = r.string()
  if (!address.startsWith('/')) throw new RangeError('not an OSC address')
  const args = []
  if (r.at < end) {
    const tags = r.string()
    if (!tags.startsWith(',')) throw new RangeError('no type tags')
    for (const tag of tags.slice(1)) if (tag !== '[' && tag !== ']') args.push(readArgument(r, tag))
  }
  out.push({ address, args })
}

// Every message of a datagram; empty when anything in it is malformed.
function decode(datagram) {
  const buf = Buffer.isBuffer(datagram) ? datagram : Buffer.from(datagram)
  const out = []
  try {
    if (buf.length % 4 !== 0) return []
    readPacket(buf, 0, buf.length, out, 0)
  } catch (e) {
    if (e instanceof RangeError) return []
    throw e
  }
  return out
}

// Packets already written, as one bundle to be acted on at once.
function encodeBundle(packets) {
  const parts = [BUNDLE, Buffer.from([0, 0, 0, 0, 0, 0, 0, 1])]
  for (const p of packets) {
    const size = Buffer.alloc(4)
    size.writeInt32BE(p.length)
    parts.push(size, p)
  }
  return Buffer.concat(parts)
}

module.exports = { encodeMessage, encodeBundle, decode }
