#!/usr/bin/env python3
"""Writes the two task definition fixtures from the file layout: BOM FF FE,
then one little-endian 16-bit unit per character, CR LF after every line,
two blanks per nesting level. The program folder is "/opt/dalmora/". Run
from this folder; the outputs are committed beside it.
"""

FOLDER = "/opt/dalmora/"


def task(arguments):
    lines = [
        '<?xml version="1.0" encoding="UTF-16"?>',
        '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">',
        '  <Triggers>',
        '    <TimeTrigger>',
        '      <StartBoundary>2050-01-01T01:00:00</StartBoundary>',
        '      <Enabled>true</Enabled>',
        '    </TimeTrigger>',
        '  </Triggers>',
        '  <Principals>',
        '    <Principal id="Author">',
        '      <LogonType>InteractiveToken</LogonType>',
        '      <RunLevel>HighestAvailable</RunLevel>',
        '    </Principal>',
        '  </Principals>',
        '  <Settings>',
    ]
    for name, value in [('MultipleInstancesPolicy', 'Parallel'),
                        ('DisallowStartIfOnBatteries', 'false'),
                        ('StopIfGoingOnBatteries', 'false'),
                        ('AllowHardTerminate', 'false'),
                        ('StartWhenAvailable', 'false'),
                        ('RunOnlyIfNetworkAvailable', 'false')]:
        lines.append('    <%s>%s</%s>' % (name, value, name))
    lines += [
        '    <IdleSettings>',
        '      <StopOnIdleEnd>false</StopOnIdleEnd>',
        '      <RestartOnIdle>false</RestartOnIdle>',
        '    </IdleSettings>',
    ]
    for name, value in [('AllowStartOnDemand', 'true'), ('Enabled', 'true'),
                        ('Hidden', 'false'), ('RunOnlyIfIdle', 'false'),
                        ('WakeToRun', 'false'), ('ExecutionTimeLimit', 'PT0S'),
                        ('Priority', '7')]:
        lines.append('    <%s>%s</%s>' % (name, value, name))
    lines += [
        '  </Settings>',
        '  <Actions Context="Author">',
        '    <Exec>',
        '      <Command>"%sdalmora1"</Command>' % FOLDER,
        '      <Arguments>%s</Arguments>' % arguments,
        '    </Exec>',
        '  </Actions>',
        '</Task>',
    ]
    assert len(lines) == 40
    data = b'\xff\xfe'
    for line in lines:
        for ch in line + '\r\n':
            assert ord(ch) < 128
            data += bytes([ord(ch), 0])
    return data


with open('DalmoraAktualizace.xml', 'wb') as out:
    out.write(task('-autorun -update'))
with open('DalmoraRestore.xml', 'wb') as out:
    out.write(task('-restore'))
