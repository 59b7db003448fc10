'use strict'
// What goes to the board for each action, and what its feedback becomes.
const test = require('node:test')
const assert = require('node:assert/strict')
const osc = require('../src/osc')
const { BoardState } = require('../src/board')
const d = require('../src/definitions')

const msg = (address, type, value) => osc.encodeMessage(address, type ? [{ type, value }] : [])
const slot = (n, name, state, remaining, elapsed) => [
  msg(`/clangster/slot/${n}/name`, 's', name),
  msg(`/clangster/slot/${n}/state`, 's', state),
  msg(`/clangster/slot/${n}/remaining`, 'f', remaining),
  msg(`/clangster/slot/${n}/elapsed`, 'f', elapsed),
]

test('each action sends its message, and nothing for options that name nothing', () => {
  const sent = (id, options) => {
    const m = d.actions[id].message(options)
    return m && [m.address, ...m.args.map((a) => a.value)].join(' ')
  }
  for (const [id, options, expected] of [
    ['play', { slot: 18 }, '/clangster/slot/18/play'],
    ['stop', { slot: '7' }, '/clangster/slot/7/stop'],
    ['prelisten', { slot: 3 }, '/clangster/slot/3/prelisten'],
    ['play_name', { name: 'ŁADA ☆' }, '/clangster/name/play ŁADA ☆'],
    ['stop_all', {}, '/clangster/stopall'],
    ['fade_all', {}, '/clangster/fadeall'],
    ['favourite', { favourite: 12 }, '/clangster/favourite/12'],
    ['volume', { slot: 4, percent: 50 }, '/clangster/slot/4/volume 0.5'],
    ['volume', { slot: 4, percent: 130 }, '/clangster/slot/4/volume 1'],
    ['volume', { slot: 4, percent: -5 }, '/clangster/slot/4/volume 0'],
    ['play', { slot: 0 }, null],
    ['play', { slot: 19 }, null],
    ['stop', { slot: 'x' }, null],
    ['favourite', { favourite: 13 }, null],
    ['play_name', { name: '' }, null],
    ['volume', { slot: 1, percent: 'loud' }, null],
  ])
    assert.equal(sent(id, options), expected, `${id} ${JSON.stringify(options)}`)
  // The bytes as OSC 1.0 has them: padded address and tags, a big-endian float.
  assert.equal(
    msg('/clangster/slot/4/volume', 'f', 0.5).toString('latin1'),
    '/clangster/slot/4/volume\0\0\0\0,f\0\0\x3f\0\0\0',
  )
})

test('feedback datagrams, bundles included, become variables', () => {
  const board = new BoardState()
  const feed = (...packets) => board.apply(osc.decode(packets.length > 1 ? osc.encodeBundle(packets) : packets[0]))
  const first = feed(
    ...slot(1, 'ŁADA ☆ 鐘', 'playing', 72.35, 3.05),
    ...slot(2, 'B', 'idle', 1, 0),
    msg('/clangster/scheme', 's', 'S'),
  )
  const v = board.variables()
  assert.deepEqual([first.states, first.times, v.slot_1_name, v.scheme], [true, true, 'ŁADA ☆ 鐘', 'S'])
  assert.deepEqual([v.slot_1_left, v.slot_1_left_mss, v.slot_1_elapsed_mss], ['72.3', '1:12', '0:03'])
  assert.deepEqual([v.slot_2_left, v.slot_2_elapsed], ['', '0.0'], 'no time left while idle')
  // A message alone (a tenth as a 32-bit float), a bundle in a bundle: only what changed is told again.
  assert.deepEqual(feed(msg('/clangster/slot/1/remaining', 'f', 60)).variables, {
    slot_1_left: '60.0',
    slot_1_left_mss: '1:00',
  })
  assert.equal(feed(msg('/clangster/slot/1/remaining', 'f', 9.9)).variables.slot_1_left, '9.9')
  const nested = osc.encodeBundle([osc.encodeBundle([msg('/clangster/slot/1/state', 's', 'fading')])])
  assert.deepEqual(feed(nested), { variables: { slot_1_state: 'fading' }, states: true, times: false })
  // Malformed, unknown or out of range: nothing changes.
  const nothing = { variables: {}, states: false, times: false }
  assert.deepEqual(feed(Buffer.from('garbage!')), nothing)
  assert.deepEqual(feed(nested.subarray(0, nested.length - 4)), nothing)
  assert.deepEqual(feed(msg('/clangster/slot/19/name', 's', 'X')), nothing)
  assert.deepEqual(feed(msg('/clangster/slot/1/name', 'f', 1)), nothing)
  assert.deepEqual(feed(msg('/clangster/slot/1/remaining', 's', 'soon')), nothing)
  // A board that stops answering leaves the names, and no state or time.
  const lost = board.setConnected(false).variables
  assert.deepEqual([lost.slot_1_state, lost.slot_1_left, board.variables().slot_1_name], ['', '', 'ŁADA ☆ 鐘'])
})

test('feedbacks follow the states and the time left', () => {
  const board = new BoardState()
  const check = (id, options) => d.feedbacks[id].check(board, options)
  board.apply(osc.decode(osc.encodeBundle([...slot(1, 'A', 'paused', 5, 1), ...slot(2, 'B', 'prelistening', 5, 1)])))
  assert.deepEqual(
    d.STATE_FEEDBACKS.filter((id) => check(id, { slot: 1 })),
    ['paused'],
  )
  assert.equal(check('any_playing', {}), false, 'neither paused nor pre-listening is playing')
  for (const [state, remaining, flash, expected] of [
    ['playing', 10.0, false, true],
    ['playing', 10.1, false, false],
    ['fading', 9.4, true, true],
    ['fading', 9.5, true, false],
    ['playing', 9.0, true, true],
    ['paused', 1.0, false, false],
  ]) {
    board.apply(osc.decode(osc.encodeBundle(slot(1, 'A', state, remaining, 1))))
    assert.equal(check('ends_within', { slot: 1, seconds: 10, flash }), expected, `${state} with ${remaining} s left`)
  }
  board.apply(osc.decode(osc.encodeBundle(slot(18, 'C', 'fading', 5, 1))))
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
