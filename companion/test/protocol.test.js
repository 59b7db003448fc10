'use strict'
// What goes to the board for each action, and what its feedback becomes.
const test = require('node:test')
const assert = require('node:assert/strict')
const osc = require('../src/osc')
const { BoardState } = require('../src/board')
const d = require('../src/definitions')

const message = (address, ...args) => ({ address, args })

test('each action sends its message, and nothing for options that name nothing', () => {
  const f = (value) => ({ type: 'f', value })
  const cases = [
    ['play', { slot: 18 }, message('/clangster/slot/18/play')],
    ['stop', { slot: '7' }, message('/clangster/slot/7/stop')],
    ['prelisten', { slot: 3 }, message('/clangster/slot/3/prelisten')],
    ['play_name', { name: 'ŁADA ☆' }, message('/clangster/name/play', { type: 's', value: 'ŁADA ☆' })],
    ['stop_all', {}, message('/clangster/stopall')],
    ['fade_all', {}, message('/clangster/fadeall')],
    ['favourite', { favourite: 12 }, message('/clangster/favourite/12')],
    ['volume', { slot: 4, percent: 50 }, message('/clangster/slot/4/volume', f(0.5))],
    ['volume', { slot: 4, percent: 130 }, message('/clangster/slot/4/volume', f(1))],
    ['volume', { slot: 4, percent: -5 }, message('/clangster/slot/4/volume', f(0))],
    ['play', { slot: 0 }, null],
    ['play', { slot: 19 }, null],
    ['stop', { slot: 'x' }, null],
    ['favourite', { favourite: 13 }, null],
    ['play_name', { name: '' }, null],
    ['volume', { slot: 1, percent: 'loud' }, null],
  ]
  for (const [id, options, expected] of cases) assert.deepEqual(d.actions[id].message(options), expected, `${id} ${JSON.stringify(options)}`)
  // The bytes as OSC 1.0 has them: padded address and tags, a big-endian float.
  const bytes = osc.encodeMessage('/clangster/slot/4/volume', [{ type: 'f', value: 0.5 }])
  assert.equal(bytes.toString('hex'), Buffer.from('/clangster/slot/4/volume\0\0\0\0,f\0\0').toString('hex') + '3f000000')
})

const slotBundle = (n, name, state, remaining, elapsed) => [
  osc.encodeMessage(`/clangster/slot/${n}/name`, [{ type: 's', value: name }]),
  osc.encodeMessage(`/clangster/slot/${n}/state`, [{ type: 's', value: state }]),
  osc.encodeMessage(`/clangster/slot/${n}/remaining`, [{ type: 'f', value: remaining }]),
  osc.encodeMessage(`/clangster/slot/${n}/elapsed`, [{ type: 'f', value: elapsed }]),
]

test('feedback datagrams, bundles included, become variables', () => {
  const board = new BoardState()
  const first = board.apply(osc.decode(osc.encodeBundle([
    ...slotBundle(1, 'ŁADA ☆ 鐘', 'playing', 72.35, 3.05),
    ...slotBundle(2, 'BEEP', 'idle', 1, 0),
    osc.encodeMessage('/clangster/scheme', [{ type: 's', value: 'show' }]),
  ])))
  assert.deepEqual(
    [first.states, first.times, first.variables.slot_1_name, first.variables.slot_1_left, first.variables.slot_1_left_mss],
    [true, true, 'ŁADA ☆ 鐘', '72.3', '1:12']
  )
  assert.equal(first.variables.slot_1_elapsed_mss, '0:03')
  assert.equal(board.variables().slot_2_left, '', 'no time left while idle')
  assert.equal(first.variables.slot_2_elapsed, '0.0')
  assert.equal(first.variables.scheme, 'show')
  // A message alone, and a bundle inside a bundle; only what changed is told again.
  const second = board.apply(osc.decode(osc.encodeMessage('/clangster/slot/1/remaining', [{ type: 'f', value: 60.0 }])))
  assert.deepEqual(second, { variables: { slot_1_left: '60.0', slot_1_left_mss: '1:00' }, states: false, times: true })
  assert.equal(board.apply(osc.decode(osc.encodeMessage('/clangster/slot/1/remaining', [{ type: 'f', value: 9.9 }]))).variables.slot_1_left, '9.9')
  const nested = osc.encodeBundle([osc.encodeBundle([osc.encodeMessage('/clangster/slot/1/state', [{ type: 's', value: 'fading' }])])])
  assert.deepEqual(board.apply(osc.decode(nested)).variables, { slot_1_state: 'fading' })
  // Malformed, unknown or out of range: nothing changes.
  const bad = [
    Buffer.from('garbage!'),
    nested.subarray(0, nested.length - 4),
    osc.encodeMessage('/clangster/slot/19/name', [{ type: 's', value: 'X' }]),
    osc.encodeMessage('/clangster/slot/1/name', [{ type: 'f', value: 1 }]),
    osc.encodeMessage('/clangster/slot/1/remaining', [{ type: 's', value: 'soon' }]),
  ]
  for (const datagram of bad) assert.deepEqual(board.apply(osc.decode(datagram)), { variables: {}, states: false, times: false })
  // A board that stops answering leaves names, and no state or time.
  const lost = board.setConnected(false)
  assert.deepEqual([lost.variables.slot_1_state, lost.variables.slot_1_left, board.variables().slot_1_name], ['', '', 'ŁADA ☆ 鐘'])
})

test('feedbacks follow the states and the time left', () => {
  const board = new BoardState()
  const check = (id, options) => d.feedbacks[id].check(board, options)
  board.apply(osc.decode(osc.encodeBundle([...slotBundle(1, 'A', 'paused', 5, 1), ...slotBundle(2, 'B', 'prelistening', 5, 1)])))
  assert.deepEqual(d.STATE_FEEDBACKS.filter((id) => check(id, { slot: 1 })), ['paused'])
  assert.equal(check('any_playing', {}), false, 'neither paused nor pre-listening is playing')
  for (const [state, remaining, options, expected] of [
    ['playing', 10.0, { seconds: 10, flash: false }, true],
    ['playing', 10.1, { seconds: 10, flash: false }, false],
    ['fading', 9.4, { seconds: 10, flash: true }, true],
    ['fading', 9.5, { seconds: 10, flash: true }, false],
    ['playing', 9.0, { seconds: 10, flash: true }, true],
    ['paused', 1.0, { seconds: 10, flash: false }, false],
  ]) {
    board.apply(osc.decode(osc.encodeBundle(slotBundle(1, 'A', state, remaining, 1))))
    assert.equal(check('ends_within', { slot: 1, ...options }), expected, `${state} with ${remaining} s left`)
  }
  assert.equal(check('any_playing', {}), false)
  board.apply(osc.decode(osc.encodeBundle(slotBundle(18, 'C', 'fading', 5, 1))))
  assert.equal(check('any_playing', {}), true)
})

test('presets use only the actions, feedbacks and variables there are', () => {
  const variables = new Set(d.variables.map((v) => v.variableId))
  for (const [id, p] of Object.entries(d.presets)) {
    for (const a of p.steps[0].down) assert.ok(d.actions[a.actionId].message(a.options), `${id}: ${a.actionId}`)
    for (const f of p.feedbacks) assert.ok(d.feedbacks[f.feedbackId], `${id}: ${f.feedbackId}`)
    for (const [, v] of p.style.text.matchAll(/\$\(clangster:([^)]+)\)/g)) assert.ok(variables.has(v), `${id}: ${v}`)
  }
  assert.equal(Object.keys(d.presets).length, 18 + 2 + 12)
})
