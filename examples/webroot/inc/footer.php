<?php
// Harmless sample footer: no signature here.
echo '<footer>&copy; Sample site</footer>';
