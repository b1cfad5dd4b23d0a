<?php
// Harmless sample in a hidden folder. The string below is a planted signature
// so that Quarnel has something to find; nothing here runs it.
$planted = '@extract';
