'use strict'
// The subscription's timing, on a clock the test moves.
const test = require('node:test')
const assert = require('node:assert/strict')
const { Link, TIMES } = require('../src/link')

// A link whose messages and states are logged; at(ms) ticks and returns what that did.
function link() {
  const log = []
  const l = new Link({
    send: (m) => log.push(`${m.address} ${m.args[0].value}`),
    status: (s) => log.push(s),
    feedbackPort: 9001,
  })
  return { l, log, at: (ms) => (l.tick(ms), log.splice(0)) }
}
const SUBSCRIBE = '/clangster/subscribe 9001'

test('subscribes at the start, renews well inside the minute while answered, unsubscribes at the end', () => {
  const { l, log, at } = link()
  l.start(0)
  l.heard(40)
  assert.deepEqual(log.splice(0), ['connecting', SUBSCRIBE, 'ok'])
  const renewals = [0]
  for (let now = 250; now <= 120000; now += 250) {
    const sent = at(now)
    if (!sent.length) continue
    assert.deepEqual(sent, [SUBSCRIBE], `at ${now} ms`)
    renewals.push(now)
    l.heard(now + 20)
  }
  const gaps = renewals.slice(1).map((t, i) => t - renewals[i])
  assert.ok(gaps.length >= 6 && Math.max(...gaps) <= 20000, `renewed at ${renewals}`)
  l.stop()
  l.heard(120100)
  assert.deepEqual([log.splice(0), at(200000)], [['/clangster/unsubscribe 9001', 'stopped'], []])
})

test('a board that does not answer is down within seconds, asked again and again, and back when it answers', () => {
  const { l, log, at } = link()
  l.start(1000)
  log.splice(0)
  assert.deepEqual(at(1000 + TIMES.answerMs - 1), [])
  assert.deepEqual(at(1000 + TIMES.answerMs), ['down', SUBSCRIBE])
  assert.deepEqual(at(1000 + TIMES.answerMs + TIMES.retryMs), [SUBSCRIBE])
  l.heard(8000)
  assert.deepEqual(log.splice(0), ['ok'])
  // Answered, then gone: the renewal goes unanswered and the link is down again.
  assert.deepEqual(at(7000 + TIMES.renewMs), [SUBSCRIBE])
  assert.deepEqual(at(7000 + TIMES.renewMs + TIMES.answerMs), ['down', SUBSCRIBE])
})
