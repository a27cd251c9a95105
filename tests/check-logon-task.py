"""Checks the README's log-on task as the Task Scheduler reads it (Wine's schtasks cannot read one
back): the user's own log-on, later, never stopped, on battery too, one copy, command apart."""
import re, sys
import xml.etree.ElementTree as ElementTree

readme = open(sys.argv[1], encoding="utf-8").read()
task = ElementTree.fromstring(re.search(r"```xml\n(.*?)```", readme, re.S).group(1).encode())
expected = {"Triggers/LogonTrigger/Delay": "PT30S", "Principals/Principal/LogonType": "InteractiveToken",
            "Settings/ExecutionTimeLimit": "PT0S", "Settings/DisallowStartIfOnBatteries": "false",
            "Settings/StopIfGoingOnBatteries": "false", "Settings/MultipleInstancesPolicy": "IgnoreNew",
            "Actions/Exec/Command": r"C:\Tools\traylnch.exe",
            "Actions/Exec/Arguments": r"C:\Tools\edit.exe%C:\notes.txt -dNotes", "Triggers/LogonTrigger/UserId": "PC\\you"}
ns = {"": "http://schemas.microsoft.com/windows/2004/02/mit/task"}
failures = [f"{path} is {task.findtext(path, namespaces=ns)!r}, not {value!r}"
            for path, value in expected.items() if task.findtext(path, namespaces=ns) != value]
failures += [f"no {command!r} in the README" for command in (r'schtasks /create /tn "traylnch Notes" /xml\s+traylnch-task.xml',
             r'schtasks /delete /tn "traylnch Notes" /f') if not re.search(command, readme)]
print("\n".join(f"FAIL: {failure}" for failure in failures) or "the log-on task holds its settings")
sys.exit(1 if failures else 0)
