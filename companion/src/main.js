'use strict'
// The Companion connection: settings, actions, feedbacks, variables and
// presets from definitions.js, on a BoardClient for the line to the board.
const { InstanceBase, InstanceStatus, runEntrypoint } = require('@companion-module/base')
const { BoardClient } = require('./client')
const d = require('./definitions')

const STATUS = {
  connecting: InstanceStatus.Connecting,
  ok: InstanceStatus.Ok,
  down: InstanceStatus.ConnectionFailure,
  failed: InstanceStatus.BadConfig,
}

class ClangsterInstance extends InstanceBase {
  async init(config) {
    this.setVariableDefinitions(d.variables)
    this.setActionDefinitions(this.companionActions())
    this.setFeedbackDefinitions(this.companionFeedbacks())
    this.setPresetDefinitions(d.presets)
    await this.configUpdated(config)
  }

  async configUpdated(config) {
    await this.disconnect()
    this.config = config
    const host = String(config.host || '').trim()
    const port = Number(config.port)
    if (!host || !Number.isInteger(port) || port < 1 || port > 65535) {
      this.updateStatus(InstanceStatus.BadConfig, "Set the board's host and OSC port")
      return
    }
    const client = new BoardClient({ host, port, feedbackPort: Number(config.feedbackPort) || 0 })
    client.on('status', (state, message) => {
      this.updateStatus(STATUS[state], message)
      if (state !== 'ok') this.log(state === 'connecting' ? 'info' : 'warn', message)
    })
    client.on('changes', ({ variables, states, times }) => {
      if (Object.keys(variables).length) this.setVariableValues(variables)
      if (states) this.checkFeedbacks(...d.STATE_FEEDBACKS)
      if (states || times) this.checkFeedbacks(...d.TIME_FEEDBACKS)
    })
    this.client = client
    this.setVariableValues(client.board.variables())
    client.open()
  }

  // Removed or disabled: the board stops sending at once.
  async destroy() {
    await this.disconnect()
  }

  async disconnect() {
    const client = this.client
    this.client = null
    if (client) await client.close()
  }

  getConfigFields() {
    return d.configFields
  }

  companionActions() {
    const out = {}
    for (const [id, a] of Object.entries(d.actions)) {
      out[id] = {
        name: a.name,
        options: a.options,
        callback: async (action, context) => {
          const options = { ...action.options }
          if (typeof options.name === 'string') options.name = await context.parseVariablesInString(options.name)
          const message = a.message(options)
          if (!message) return this.log('warn', `${a.name}: nothing to send for ${JSON.stringify(action.options)}`)
          if (!this.client || !this.client.send(message)) this.log('warn', `${a.name}: not connected to the board`)
        },
      }
    }
    return out
  }

  companionFeedbacks() {
    const out = {}
    for (const [id, f] of Object.entries(d.feedbacks)) {
      const { check, ...definition } = f
      out[id] = { ...definition, callback: (feedback) => !!this.client && check(this.client.board, feedback.options) }
    }
    return out
  }
}

runEntrypoint(ClangsterInstance, [])
