"""The structure of GitHub workflow files, where actionlint cannot run: the YAML parses;
a name, triggers and jobs; every job runs somewhere (or uses a workflow) with a time limit;
every step either runs a command or uses an action, and a job's needs name other jobs."""
import sys

import yaml


def problems(path):
    with open(path, encoding="utf-8") as f:
        doc = yaml.safe_load(f)
    if not isinstance(doc, dict):
        yield "not a mapping"
        return
    # YAML 1.1 reads the key "on" as true.
    for key, found in (("name", "name" in doc), ("on", "on" in doc or True in doc),
                       ("jobs", isinstance(doc.get("jobs"), dict))):
        if not found:
            yield f'no "{key}"'
    jobs = doc.get("jobs") or {}
    for name, job in jobs.items():
        if not isinstance(job, dict):
            yield f"job {name}: not a mapping"
            continue
        if "uses" in job:
            continue
        if "runs-on" not in job:
            yield f'job {name}: "runs-on" is missing'
        if "timeout-minutes" not in job:
            yield f'job {name}: "timeout-minutes" is missing'
        needs = job.get("needs", [])
        for other in [needs] if isinstance(needs, str) else needs:
            if other not in jobs:
                yield f"job {name}: needs unknown job {other}"
        steps = job.get("steps")
        if not isinstance(steps, list) or not steps:
            yield f"job {name}: no steps"
            continue
        for i, step in enumerate(steps):
            if not isinstance(step, dict) or ("run" in step) == ("uses" in step):
                yield f"job {name}, step {i + 1}: needs exactly one of run and uses"


def main(paths):
    failed = False
    for path in paths:
        try:
            found = list(problems(path))
        except (OSError, yaml.YAMLError) as e:
            found = [str(e)]
        for p in found:
            print(f"{path}: {p}")
        failed = failed or bool(found)
    if not failed:
        print(f"{len(paths)} workflow file(s): structure ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
