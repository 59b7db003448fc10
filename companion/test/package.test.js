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

const PACKAGE = process.env.CLANGSTER_COMPANION_PACKAGE || path.join(__dirname, '../../build/companion/clangster.tgz')

// Resolves with the first of `items` (pushed as they come) that `wanted` takes, or fails after 20 s.
function next(items, wanted, what) {
  return new Promise((resolve, reject) => {
    const deadline = Date.now() + 20000
    const poll = () => {
      const i = items.findIndex(wanted)
      if (i >= 0) return resolve(items.splice(0, i + 1).pop())
      if (Date.now() > deadline) return reject(new Error(`never came: ${what}`))
      setTimeout(poll, 20)
    }
    poll()
  })
}

test('the package runs as a Companion module', async () => {
  assert.ok(fs.existsSync(PACKAGE), `${PACKAGE} is missing: make companion builds it`)
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'clangster-companion-'))
  const board = dgram.createSocket('udp4')
  let module
  try {
    execFileSync('tar', ['xzf', PACKAGE, '-C', dir])
    await new Promise((resolve) => board.bind(0, '127.0.0.1', resolve))
    const heard = []
    board.on('message', (bytes, from) => heard.push(...osc.decode(bytes).map((m) => ({ ...m, from }))))

    const calls = []
    let nextId = 1
    module = fork(path.join(dir, 'pkg/main.js'), {
      env: { MODULE_MANIFEST: path.join(dir, 'pkg/companion/manifest.json'), CONNECTION_ID: 'c1', VERIFICATION_TOKEN: 't' },
      stdio: ['ignore', 'ignore', 'inherit', 'ipc'],
    })
    const call = (name, payload) => module.send({ direction: 'call', name, payload: JSON.stringify(payload), callbackId: nextId++ })
    module.on('message', (m) => {
      if (m.direction !== 'call') return
      calls.push({ name: m.name, payload: m.payload ? JSON.parse(m.payload) : undefined })
      if (m.callbackId) module.send({ direction: 'response', callbackId: m.callbackId, success: true, payload: '{}' })
    })
    await next(calls, (c) => c.name === 'register', 'registration')
    call('init', {
      label: 'clangster',
      isFirstInit: false,
      config: { host: '127.0.0.1', port: board.address().port, feedbackPort: 0 },
      lastUpgradeIndex: -1,
      actions: {},
      feedbacks: {},
    })
    const defined = await next(calls, (c) => c.name === 'setVariableDefinitions', 'variables')
    assert.ok(defined.payload.variables.some((v) => v.id === 'slot_18_left_mss'))
    const subscribe = await next(heard, (m) => m.address === '/clangster/subscribe', 'a subscribe')
    assert.equal(subscribe.args[0].value, subscribe.from.port, 'feedback goes to the socket that asked')

    const feedback = osc.encodeBundle([
      osc.encodeMessage('/clangster/slot/2/name', [{ type: 's', value: 'ŁADA' }]),
      osc.encodeMessage('/clangster/slot/2/state', [{ type: 's', value: 'playing' }]),
    ])
    board.send(feedback, subscribe.from.port, '127.0.0.1')
    await next(calls, (c) => c.name === 'set-status' && c.payload.status === 'ok', 'status ok')
    const shown = await next(calls, (c) => c.name === 'setVariableValues' && c.payload.newValues.some((v) => v.id === 'slot_2_name'), 'the name')
    assert.ok(shown.payload.newValues.some((v) => v.id === 'slot_2_name' && v.value === 'ŁADA'))

    call('executeAction', { action: { id: 'a', controlId: 'b', actionId: 'volume', options: { slot: 2, percent: 25 } } })
    const volume = await next(heard, (m) => m.address === '/clangster/slot/2/volume', 'the volume')
    assert.equal(volume.args[0].value, 0.25)
    call('destroy', {})
    await next(heard, (m) => m.address === '/clangster/unsubscribe' && m.args[0].value === subscribe.from.port, 'an unsubscribe')
  } finally {
    if (module) module.kill()
    board.close()
    fs.rmSync(dir, { recursive: true, force: true })
  }
})
