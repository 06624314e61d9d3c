#!/usr/bin/env python3
# Renders value templates the way Home Assistant does: Jinja in a sandbox, value_json the parsed
# payload, and Home Assistant's bitwise_and filter. Unknown names are errors here, so that a
# misspelt field fails. Reads [[template, payload], ...] from the JSON file named first and
# prints the rendered texts as a JSON list.
import json
import sys

from jinja2 import StrictUndefined
from jinja2.sandbox import ImmutableSandboxedEnvironment

env = ImmutableSandboxedEnvironment(undefined=StrictUndefined)
env.filters["bitwise_and"] = lambda first, second: first & second
with open(sys.argv[1], encoding="utf-8") as f:
    cases = json.load(f)
print(json.dumps([env.from_string(t).render(value=p, value_json=json.loads(p)) for t, p in cases]))
