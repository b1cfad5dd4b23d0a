<?php
// Harmless sample upload. The text of a signature is planted in this comment: eval(
// Real web shells hide in upload folders like this one; this file only names one.
echo 'not an image';
