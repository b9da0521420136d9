#!/usr/bin/env python3
"""The lesson format's JSON Schema is a valid schema, accepts every lesson file
given, and refuses a lesson with a misspelt key.
Usage: lesson_schema_valid.py SCHEMA LESSON..."""
import json
import sys

import jsonschema
import yaml

schema = json.load(open(sys.argv[1], encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
status = 0
for path in sys.argv[2:]:
    lesson = yaml.safe_load(open(path, encoding="utf-8"))
    for error in validator.iter_errors(lesson):
        print(f"{path}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
        status = 1
    lesson["exercises"][0]["headin"] = lesson["exercises"][0].pop("heading")
    if validator.is_valid(lesson):
        print(f"{path}: a misspelt key went through")
        status = 1
sys.exit(status)
