# Loaded by Orca at start from its settings folder (the check's private one). The check reads
# what Orca said from its debug file while the game plays: written a line at a time, it holds
# every utterance as soon as Orca hands it to speech.
import orca.debug

if orca.debug.debugFile:
    orca.debug.debugFile.reconfigure(line_buffering=True)
