'use strict'
// The package `make companion` builds, unpacked and started as Companion
// starts a module (a child process speaking its IPC), against a stand-in
// board on loopback: it registers, subscribes, shows feedback, sends an
// action's message and unsubscribes when the connection goes.
const test = require('node:test')
const assert = require('node:assert/strict')
const { fork, execFileSync } = require('node:child_process')
const dgram = require('node:dgram')
const fs = require('node:fs')
const os = require('node:os')
const path = require('node:path')
const osc = require('../src/osc')

const PACKAGE = path.join(__dirname, '../../build/companion/clangster.tgz')

// The first of `items` (pushed as they come) that `wanted` takes, waited for up to 20 s.
async function next(items, wanted, what) {
  for (const deadline = Date.now() + 20000; Date.now() < deadline; await new Promise((r) => setTimeout(r, 20))) {
    const i = items.findIndex(wanted)
    if (i >= 0) return items.splice(0, i + 1).pop()
  }
  throw new Error(`never came: ${what}`)
}

test('the package runs as a Companion module', async (t) => {
  assert.ok(fs.existsSync(PACKAGE), `${PACKAGE} is missing: make companion builds it`)
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'clangster-companion-'))
  const board = dgram.createSocket('udp4')
  let module
  t.after(() => {
    if (module) module.kill()
    board.close()
    fs.rmSync(dir, { recursive: true })
  })
  const heard = []
  board.on('message', (bytes, from) => heard.push(...osc.decode(bytes).map((m) => ({ ...m, from }))))
  await new Promise((resolve) => board.bind(0, '127.0.0.1', resolve))
  execFileSync('tar', ['xzf', PACKAGE, '-C', dir])
  const env = { MODULE_MANIFEST: `${dir}/pkg/companion/manifest.json`, CONNECTION_ID: 'c', VERIFICATION_TOKEN: 't' }
  module = fork(`${dir}/pkg/main.js`, { env, stdio: ['ignore', 'ignore', 'inherit', 'ipc'] })

  // Companion's side of the IPC: every call the module makes is answered and kept.
  const calls = []
  let callbackId = 1
  const call = (name, payload) =>
    module.send({ direction: 'call', name, payload: JSON.stringify(payload), callbackId: callbackId++ })
  module.on('message', (m) => {
    if (m.direction !== 'call') return
    calls.push({ name: m.name, payload: m.payload && JSON.parse(m.payload) })
    if (m.callbackId) module.send({ direction: 'response', callbackId: m.callbackId, success: true, payload: '{}' })
  })
  await next(calls, (c) => c.name === 'register', 'registration')
  const config = { host: '127.0.0.1', port: board.address().port, feedbackPort: 0 }
  call('init', { label: 'clangster', config, lastUpgradeIndex: -1, actions: {}, feedbacks: {} })
  const subscribe = await next(heard, (m) => m.address === '/clangster/subscribe', 'a subscribe')
  assert.equal(subscribe.args[0].value, subscribe.from.port, 'feedback goes to the socket that asked')

  board.send(osc.encodeMessage('/clangster/slot/2/name', [{ type: 's', value: 'ŁADA' }]), subscribe.from.port)
  await next(calls, (c) => c.name === 'set-status' && c.payload.status === 'ok', 'status ok')
  const named = (c) => c.name === 'setVariableValues' && c.payload.newValues.some((v) => v.id === 'slot_2_name')
  assert.deepEqual((await next(calls, named, 'the name')).payload.newValues, [{ id: 'slot_2_name', value: 'ŁADA' }])

  call('executeAction', { action: { id: 'a', controlId: 'b', actionId: 'volume', options: { slot: 2, percent: 25 } } })
  assert.equal((await next(heard, (m) => m.address === '/clangster/slot/2/volume', 'the volume')).args[0].value, 0.25)
  call('destroy', {})
  const unsubscribe = await next(heard, (m) => m.address === '/clangster/unsubscribe', 'an unsubscribe')
  assert.equal(unsubscribe.args[0].value, subscribe.from.port)
})
